// MO generation with other sessions at work: two runs at once, and a run whose
// database session is killed in the middle of a line.

#include <gtest/gtest.h>

#include <list>
#include <string>
#include <thread>
#include <vector>

#include "mogen/scripted_numbering.h"
#include "platform/com/creation.h"
#include "platform/com/late_binding.h"
#include "platform/com/thread_values.h"
#include "suite/demand_lines.h"
#include "testing/mom_fixture.h"

namespace {

using testing_support::MomFixture;
using testing_support::TestDatabase;

constexpr char kNoBom[] = "无有效物料清单资料，不能产生生产订单";

// Ends the session of whoever is in the middle of a transaction on this database
// (the generation run: the test's own connection is idle), and waits until it is gone.
constexpr char kKillRunSession[] =
    "select pg_terminate_backend(pid, 5000) from pg_stat_activity where datname = current_database() "
    "and pid <> pg_backend_pid() and state like 'idle in transaction%'";

class ConcurrentGenerationTest : public MomFixture {
 protected:
  mom::ObjectRef Login() {
    mom::ObjectRef login = com::CreateObject("MomSuite.Login");
    com::PutProperty(login.get(), "KrDbName", connection_string_);
    com::PutProperty(login.get(), "cUserId", "demo");
    com::PutProperty(login.get(), "cAcc_Id", "001");
    return login;
  }

  struct Outcome {
    bool result = false;
    std::string err;
  };

  // One run as a module of the suite makes it, on the calling thread: its own
  // component instance, login and connection for the demand lines.
  Outcome Run(std::vector<std::string> orders, const char* from) {
    com::Ptr<com::IDispatch> mom = com::CreateObject("KRZ7DEVUZIda.clsMOM");
    com::Ptr<mom::_clsMOM> early = mom.As<mom::_clsMOM>();
    com::Ptr<ado::Connection> conn = OpenConnection();
    mom::RecordsetRef lines = std::string(from) == "EX" ? suite::ExternalDemandLines(conn.get(), orders)
                                                        : suite::SalesDemandLines(conn.get(), orders);
    mom::ObjectRef login = Login();
    std::string code;
    Outcome out;
    mom::VariantBool result = 0;
    EXPECT_EQ(early->PushMoFromSo(&login, &code, &lines, &out.err, from, &result), com::S_OK);
    out.result = result != 0;
    return out;
  }

  int Count(const std::string& sql) { return Scalar(sql).ToI4(); }
  int OrdersOfSalesLine(int line) {
    return Count("select count(*) from mom_orderdetail where SoType = 1 and MoDId > 1006 and SoDId = " +
                 std::to_string(line));
  }
};

TEST_F(ConcurrentGenerationTest, TwoRunsAtOnceGiveEveryLineOneOrderUnderItsOwnCode) {
  Outcome a, b;
  std::thread first([&] { a = Run({"SO0001", "SO0002"}, "SA"); });
  std::thread second([&] { b = Run({"SO0003"}, "SA"); });
  first.join();
  second.join();

  EXPECT_TRUE(a.result) << a.err;
  EXPECT_FALSE(b.result);  // 8123 has no bill: that line alone is refused
  EXPECT_NE(b.err.find(kNoBom), std::string::npos) << b.err;
  EXPECT_EQ(b.err.find("\r\n"), b.err.rfind("\r\n")) << "one refused line only: " << b.err;

  for (int line : {8102, 8111, 8113, 8121, 8122, 8124}) EXPECT_EQ(OrdersOfSalesLine(line), 1) << line;
  EXPECT_EQ(OrdersOfSalesLine(8123), 0);
  EXPECT_EQ(Count("select count(*) from (select MoCode from mom_order group by MoCode having count(*) > 1) x"), 0);
  EXPECT_EQ(Count("select count(*) from mom_order o where not exists "
                  "(select 1 from mom_orderdetail d where d.MoId = o.MoId)"),
            0);
  // Every line's recorded quantity is its one order's.
  EXPECT_EQ(Count("select count(*) from so_sodetails s join mom_orderdetail d on d.SoType = 1 and d.SoDId = s.isosid "
                  "and d.MoDId > 1006 where s.fMoQuantity <> d.Qty"),
            0);
}

class KilledSessionTest : public ConcurrentGenerationTest {
 protected:
  void SetUp() override {
    if (!TestDatabase::IsPostgres()) GTEST_SKIP() << "a session of the server database is what is killed";
    ConcurrentGenerationTest::SetUp();
    if (IsSkipped()) return;
    namespace scripted = mom::mogen::scripted;
    scripted_.emplace_back(scripted::kDocumentCodes, com::Variant("MO900001,MO900002,MO900003"));
    scripted_.emplace_back(scripted::kCodesFetched, com::Variant(0));
    scripted_.emplace_back(scripted::kSqlOnCode, com::Variant(kKillRunSession));
    scripted_.emplace_back(scripted::kSqlOnCodeAt, com::Variant(2));  // in the middle of the second line
    com::RunRegistrationEntry(MOGEN_SCRIPTED_NUMBERING_LIBRARY, "DllRegisterServer");
  }

  // Read by the scripted CommonFunctions on this thread, where the runs are made.
  std::list<com::ScopedThreadValue> scripted_;
};

TEST_F(KilledSessionTest, TheSalesPathKeepsTheLinesCommittedBeforeAndNothingOfTheLineInFlight) {
  Outcome run = Run({"SO0002"}, "SA");
  EXPECT_FALSE(run.result);
  EXPECT_FALSE(run.err.empty());
  // 8111 was committed before the kill.
  EXPECT_EQ(Count("select count(*) from mom_order o join mom_orderdetail d on d.MoId = o.MoId "
                  "where o.MoCode = 'MO900001' and d.SoDId = 8111"),
            1);
  EXPECT_DOUBLE_EQ(Scalar("select fMoQuantity from so_sodetails where isosid = 8111").ToR8(), 3);
  // 8113 was in flight: its order, its write-back and its net-demand credit are gone.
  EXPECT_EQ(OrdersOfSalesLine(8113), 0);
  EXPECT_DOUBLE_EQ(Scalar("select fMoQuantity from so_sodetails where isosid = 8113").ToR8(), 0);
  EXPECT_DOUBLE_EQ(Scalar("select crdqty from mps_netdemand where DemandId = 6001").ToR8(), 0);
}

TEST_F(KilledSessionTest, TheExternalPathKeepsNothing) {
  const int orders = Count("select count(*) from mom_order");
  Outcome run = Run({"EX0002"}, "EX");
  EXPECT_FALSE(run.result);
  EXPECT_EQ(Count("select count(*) from mom_order"), orders);
  EXPECT_EQ(Count("select count(*) from ex_orderdetail where autoid in (8611, 8612, 8613) and MoDId is not null"), 0);
  EXPECT_DOUBLE_EQ(Scalar("select crdqty from mps_netdemand where DemandId = 6006").ToR8(), 0);
  EXPECT_EQ(Count("select NextNumber from sys_doccode where DocType = 'MO21'"), 1);
}

}  // namespace
