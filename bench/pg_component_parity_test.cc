// The raw baselines of the write-back and the generation leave a database as the
// component does: same quantities, same orders, lines and allocations. Skips without
// MOM_TEST_PG.

#include <gtest/gtest.h>

#include <string>

#include "bench/bench_environment.h"
#include "bench/pg_environment.h"
#include "bench/pg_raw.h"
#include "bench/pg_raw_generation.h"
#include "bench/pg_raw_writebacks.h"
#include "bench/push_mo_call.h"
#include "bench/writeback_calls.h"
#include "platform/ado/connection.h"

namespace mom_bench {
namespace {

// One text for everything a query returns, row by row.
std::string Snapshot(const std::string& connection_string, const char* sql) {
  PgSession s(connection_string);
  s.Prepare("snapshot", sql);
  PgResult r = s.Run("snapshot", {});
  std::string text;
  for (int row = 0; row < PQntuples(r.get()); ++row) {
    for (int column = 0; column < PQnfields(r.get()); ++column) {
      const char* value = PgText(r, row, column);
      text += value ? value : "<null>";
      text += '|';
    }
    text += '\n';
  }
  return text;
}

constexpr char kReceiptState[] =
    "select d.MoDId, d.QualifiedInQty, r.MoRoutingDId, r.CompleteQty, r.QualifiedQty from mom_orderdetail d "
    "left join sfc_morouting m on m.MoDId = d.MoDId left join sfc_moroutingdetail r on r.MoRoutingId = m.MoRoutingId "
    "where d.MoDId in (1001, 1002) order by d.MoDId, r.MoRoutingDId";

class PgComponentParityTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (PostgresServer().empty()) GTEST_SKIP() << "MOM_TEST_PG names no server";
    RegisterServers();
  }
};

TEST_F(PgComponentParityTest, ReceiptsLandWhereTheComponentPutsThem) {
  const std::string component_db = FreshPgDatabase(PostgresServer(), "mom_bench_test_receipt_component");
  const std::string raw_db = FreshPgDatabase(PostgresServer(), "mom_bench_test_receipt_raw");
  {
    com::Ptr<ado::Connection> conn = ado::Connection::Create();
    conn->Open(component_db);
    std::string error;
    for (int line : {1001, 1002}) {  // through the last operations, and straight to the line
      MoQtyWrBCall call(conn, line, 2.5);
      conn->BeginTrans();
      ASSERT_TRUE(call.Run(error)) << error;
      conn->CommitTrans();
    }
  }
  PgSession session(raw_db);
  PgRawReceiptWriteBack raw(session);
  EXPECT_EQ(raw.Run(1001, 2.5), 0);
  EXPECT_EQ(raw.Run(1002, 2.5), 0);
  const std::string expected = Snapshot(component_db, kReceiptState);
  EXPECT_NE(expected, Snapshot(FreshPgDatabase(PostgresServer(), "mom_bench_test_receipt_untouched"), kReceiptState));
  EXPECT_EQ(Snapshot(raw_db, kReceiptState), expected);
}

TEST_F(PgComponentParityTest, GenerationMakesTheComponentsOrdersLinesAndAllocations) {
  constexpr int kOrders = 3;
  const std::string component_db = FreshPgDatabase(PostgresServer(), "mom_bench_test_mogen_component");
  const std::string raw_db = FreshPgDatabase(PostgresServer(), "mom_bench_test_mogen_raw");
  PgLoadSalesOrders(component_db, kOrders);
  PgLoadSalesOrders(raw_db, kOrders);

  PushMoFromSoCall call(component_db, kOrders);
  std::string error;
  ASSERT_TRUE(call.Run(error)) << error;
  PgSession session(raw_db);
  EXPECT_EQ(PgRawGenerateFromSalesOrders(session), kOrders * 4);

  for (const char* sql :
       {"select o.MoCode, d.SortSeq, d.MoClass, d.PartId, d.InvCode, d.BomId, d.Qty, d.Status, d.SoType, d.SoDId, "
        "d.SoCode, d.SoSeq, d.DueDate, d.Free1, d.Free2 from mom_order o join mom_orderdetail d on d.MoId = o.MoId "
        "where d.SoDId >= 1000000 order by o.MoCode",
        "select d.SoDId, a.SortSeq, a.OpSeq, a.ComponentId, a.InvCode, a.Qty, a.WIPType, a.WhCode, a.EndDemDate, "
        "a.OpComponentId from mom_moallocate a join mom_orderdetail d on d.MoDId = a.MoDId "
        "where d.SoDId >= 1000000 order by d.SoDId, a.SortSeq, a.OpComponentId",
        "select isosid, fMoQuantity from so_sodetails where isosid >= 1000000 order by isosid",
        "select NextNumber from sys_doccode where DocType = 'MO21'"})
    EXPECT_EQ(Snapshot(raw_db, sql), Snapshot(component_db, sql)) << sql;
}

}  // namespace
}  // namespace mom_bench
