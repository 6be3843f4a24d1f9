// The service's calls without HTTP, on both providers: what each kind of request is
// answered, and that a key makes a call run at most once, in the call's transaction.

#include "tools/mom/serve/call_service.h"

#include <gtest/gtest.h>

#include <atomic>
#include <fstream>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "database/idempotency_table.h"
#include "platform/ado/connection_string.h"
#include "platform/ado/field.h"
#include "platform/ado/recordset.h"
#include "platform/com/error.h"
#include "testing/mom_fixture.h"
#include "tools/mom/json_values.h"

namespace {

using mom_console::Json;
using mom_service::CallAnswer;
using mom_service::CallService;

class CallServiceTest : public testing_support::MomFixture {
 protected:
  void SetUp() override {
    MomFixture::SetUp();
    if (IsSkipped()) return;
    service_ = MakeService();
  }
  void TearDown() override {
    service_.reset();
    MomFixture::TearDown();
  }

  std::unique_ptr<CallService> MakeService(int64_t ttl = 3600) {
    mom_service::ServiceSettings settings;
    settings.connection_string = connection_string_;
    settings.key_ttl_seconds = ttl;
    return std::make_unique<CallService>(settings);
  }

  CallAnswer Call(const std::string& operation, const std::string& body, const std::string& key = "") {
    return service_->Call({operation, body, key});
  }

  double RoutingDone() { return Scalar("select CompleteQty from sfc_moroutingdetail where MoRoutingDId = 3003").ToR8(); }
  int64_t Count(const std::string& sql) { return Scalar(sql).ToI8(); }

  // The quantities and tokens of every row a write-back can change, as one string.
  std::string Fingerprint() {
    std::string out;
    for (const char* sql :
         {"select MoRoutingDId, CompleteQty, QualifiedQty, TransOutQty, Krts from sfc_moroutingdetail order by 1",
          "select MoDId, QualifiedInQty, DeclaredQty, Krts from mom_orderdetail order by 1",
          "select AllocateId, IssQty, InspQty, Krts from mom_moallocate order by 1",
          "select OpMdId, Qty, Krts from sfc_optransformdetail order by 1", "select count(*) from mom_order",
          "select count(*) from sys_idempotency"}) {
      com::Ptr<ado::Recordset> rs = conn_->Execute(sql);
      for (; !rs->Eof(); rs->MoveNext()) {
        for (int32_t i = 0; i < rs->fields().Count(); ++i) out += mom_console::ToJson(rs->fields().Item(i).Value()).dump() + " ";
        out += "\n";
      }
    }
    return out;
  }

  std::unique_ptr<CallService> service_;
};

TEST_F(CallServiceTest, EachKindOfRequestGetsItsStatus) {
  const std::string stale_line_token = Token("mom_orderdetail", "MoDId", 1002);
  struct Case {
    const char* operation;
    const char* body;
    int status;
    const char* result;   // CallAnswer::result
    const char* message;  // CallAnswer::message
    const char* in_body;  // a piece of the answer
  } cases[] = {
      {"MoRoutingWrB", R"({"MoRoutingDId": 3003, "fNetChgQty": 2})", 200, "true", "", R"("result":true)"},
      {"moroutingwrb", R"({"moroutingdid": 3003, "FNETCHGQTY": 0.5, "ErrMsg": "kept"})", 200, "true", "",
       R"("ErrMsg":"kept")"},
      {"MoInQtyWrB", R"({"iMoDId": 1002, "fNetChgQty": 1, "cBusType": "产品入库", "Krts": "1.0000"})", 409, "false",
       "10001", "记录已经被其他人员删除或更新，请刷新后再试"},
      {"MoRoutingWrB", R"({"MoRoutingDId": 999999, "fNetChgQty": 1})", 409, "false", "10001",
       R"("currentKrts":null)"},
      {"MoInQtyWrB", R"({"iMoDId": 1002, "fNetChgQty": 1, "cBusType": "产品入库 ", "Krts": ""})", 200, "false", "327",
       R"("result":false)"},
      {"MoInQtyWrB", R"({"iMoDId": 1003, "fNetChgQty": 1, "cBusType": "产品入库", "Krts": ""})", 200, "false",
       "10004", "生产订单已关闭"},
      {"MoQtyWrB", R"({"iMoDId": 999999, "bBPFlag": false, "fNetChgQty": 1, "cBusType": "产品入库", "Krts": ""})", 500,
       "error", "", R"({"error":{"number":3021,)"},
      {"GetBFRds", R"({"moDId": 1001, "NetChgQty": 10, "bCheck": false})", 200, "true", "", R"("BillListRs":{"fields")"},
      {"STPullfromMORP", R"({"MoAllocateId": 5004, "SQty": 5})", 200, "true", "", R"("PQty":)"},
      {"STPullfromMORM", R"({"MoAllocateId": 424242, "PQty": 3})", 200, "false", "", R"("result":false)"},
      // Not called at all:
      {"NoSuchOperation", "{}", 404, "refused", "", "the operations are: PushMoFromSo"},
      {"EcnApplyChangeRef", "{}", 501, "refused", "", "dialog"},
      {"MoRoutingWrB", R"({"MoRoutingDId": 3003)", 400, "refused", "", "not valid JSON"},
      {"MoRoutingWrB", "[3003, 1]", 400, "refused", "", "a JSON object of named arguments"},
      {"MoRoutingWrB", R"({"MoRoutingDId": "3003", "fNetChgQty": 1})", 400, "refused", "",
       R"(MoRoutingDId: expected an integer, got \"3003\")"},
      {"MoRoutingWrB", R"({"MoRoutingDId": 3003.5, "fNetChgQty": 1})", 400, "refused", "", "expected an integer"},
      {"MoRoutingWrB", R"({"MoRoutingDId": 4294967296, "fNetChgQty": 1})", 400, "refused", "", "a 32-bit integer"},
      {"MoRoutingWrB", R"({"MoRoutingDId": 18446744073709551615, "fNetChgQty": 1})", 400, "refused", "",
       "a 32-bit integer"},
      {"MoRoutingWrB", R"({"MoRoutingDId": 3003, "fNetChgQty": "2"})", 400, "refused", "", "expected a number"},
      {"MoRoutingWrB", R"({"MoRoutingDId": 3003, "fNetChgQty": 1, "Krts": 5})", 400, "refused", "", "expected a string"},
      {"MoQtyWrB", R"({"iMoDId": 1001, "bBPFlag": 0, "fNetChgQty": 1, "cBusType": "x", "Krts": ""})", 400, "refused",
       "", "bBPFlag: expected true or false"},
      {"MoInQtyWrB", R"({"iMoDId": 1002, "fNetChgQty": 1, "cBusType": "x", "Krts": "", "CurDate": "2024-13-01"})", 400,
       "refused", "", "expected a date"},
      {"MoRoutingWrB", R"({"MoRoutingDId": 3003, "fNetChgQty": 1, "oConn": "x"})", 400, "refused", "",
       "supplied by the service"},
      {"MoRoutingWrB", R"({"MoRoutingDId": 3003, "fNetChgQty": 1, "Bogus": 1})", 400, "refused", "",
       "unknown argument Bogus of MoRoutingWrB"},
      {"MoRoutingWrB", R"({"MoRoutingDId": 3003, "moroutingdid": 3003, "fNetChgQty": 1})", 400, "refused", "",
       "is given twice"},
      {"MoRoutingWrB", R"({"fNetChgQty": 1})", 400, "refused", "", "missing argument MoRoutingDId"},
      {"PushMoFromSo", R"({"SoRs": 5})", 400, "refused", "", "SoRs: expected a recordset"},
      {"PushMoFromSo", R"({"SoRs": {"fields": [1], "rows": []}})", 400, "refused", "", ""},
  };
  for (const Case& c : cases) {
    CallAnswer a = Call(c.operation, c.body);
    EXPECT_EQ(a.status, c.status) << c.operation << " " << c.body << "\n" << a.body;
    EXPECT_EQ(a.result, c.result) << c.body;
    EXPECT_EQ(a.message, c.message) << c.body;
    EXPECT_NE(a.body.find(c.in_body), std::string::npos) << c.body << "\n" << a.body;
    EXPECT_EQ(a.stale_token, c.status == 409) << c.body;
    EXPECT_FALSE(a.replayed);
    EXPECT_TRUE(Json::parse(a.body).is_object()) << a.body;
  }
  // The first two landed and were committed; the rest changed nothing.
  EXPECT_DOUBLE_EQ(RoutingDone(), 3 + 2 + 0.5);
  EXPECT_EQ(Token("mom_orderdetail", "MoDId", 1002), stale_line_token);
  // The stale refusal carries the row's token as callers read it, ready to retry with.
  Json refused = Json::parse(Call("MoInQtyWrB", R"({"iMoDId": 1002, "fNetChgQty": 1, "cBusType": "产品入库", "Krts": "1"})").body);
  ASSERT_EQ(refused["currentKrts"], stale_line_token);
  Json retry = {{"iMoDId", 1002}, {"fNetChgQty", 1}, {"cBusType", "产品入库"}, {"Krts", refused["currentKrts"]}};
  EXPECT_EQ(Call("MoInQtyWrB", retry.dump()).status, 200);
}

TEST_F(CallServiceTest, AKeyRunsTheCallOnceAndReplaysItsAnswer) {
  const std::string body = R"({"MoRoutingDId": 3003, "fNetChgQty": 2})";
  CallAnswer first = Call("MoRoutingWrB", body, "key-1");
  ASSERT_EQ(first.status, 200) << first.body;
  EXPECT_FALSE(first.replayed);
  const std::string after_first = Fingerprint();
  // The same call however it is written: case of names, order, 2 or 2.0.
  for (const char* same : {R"({"MoRoutingDId": 3003, "fNetChgQty": 2})", R"({"fNetChgQty": 2.0, "moroutingdid": 3003})"}) {
    CallAnswer again = Call("MoRoutingWrB", same, "key-1");
    EXPECT_EQ(again.status, 200);
    EXPECT_TRUE(again.replayed);
    EXPECT_EQ(again.body, first.body);
    EXPECT_EQ(again.result, "true");
  }
  EXPECT_EQ(Fingerprint(), after_first);
  EXPECT_DOUBLE_EQ(RoutingDone(), 5);

  // Another request under the same key is refused and runs nothing.
  for (auto [operation, other] : {std::pair{"MoRoutingWrB", R"({"MoRoutingDId": 3003, "fNetChgQty": 3})"},
                                  std::pair{"MoRoutingWrB", R"({"MoRoutingDId": 3002, "fNetChgQty": 2})"},
                                  std::pair{"OpMoveQtyWrB", R"({"iOpMdId": 4101, "fNetChgQty": 2, "cBusType": "", "Krts": ""})"}}) {
    CallAnswer refused = Call(operation, other, "key-1");
    EXPECT_EQ(refused.status, 422) << other;
    EXPECT_NE(refused.body.find("key-1"), std::string::npos);
  }
  EXPECT_EQ(Fingerprint(), after_first);
  EXPECT_EQ(Count("select count(*) from sys_idempotency"), 1);
}

TEST_F(CallServiceTest, RefusedOrFailedCallsKeepNoKeySoTheirRetryRuns) {
  const std::string line = R"({"iMoDId": 1002, "fNetChgQty": 1, "cBusType": "产品入库", "Krts": ")";
  EXPECT_EQ(Call("MoInQtyWrB", line + "1.0000\"}", "k").status, 409);
  EXPECT_EQ(Call("MoQtyWrB", R"({"iMoDId": 999999, "bBPFlag": false, "fNetChgQty": 1, "cBusType": "产品入库", "Krts": ""})", "e").status, 500);
  EXPECT_EQ(Call("MoRoutingWrB", R"({"MoRoutingDId": "x", "fNetChgQty": 1})", "b").status, 400);
  EXPECT_EQ(Count("select count(*) from sys_idempotency"), 0);
  // The client re-read the row and keeps its key for the same posting.
  CallAnswer retried = Call("MoInQtyWrB", line + Token("mom_orderdetail", "MoDId", 1002) + "\"}", "k");
  EXPECT_EQ(retried.status, 200) << retried.body;
  EXPECT_FALSE(retried.replayed);
  EXPECT_EQ(Count("select count(*) from sys_idempotency where IdemKey = 'k' and HttpStatus = 200"), 1);
}

TEST_F(CallServiceTest, KeysAreCheckedAndExpire) {
  for (const std::string& bad : {std::string(256, 'k'), std::string("with blank"), std::string(" "), std::string("ключ")}) {
    CallAnswer a = Call("MoRoutingWrB", R"({"MoRoutingDId": 3003, "fNetChgQty": 1})", bad);
    EXPECT_EQ(a.status, 400) << bad;
  }
  EXPECT_EQ(Call("MoRoutingWrB", R"({"MoRoutingDId": 3003, "fNetChgQty": 1})", std::string(255, 'k')).status, 200);

  service_ = MakeService(/*ttl=*/60);
  const std::string body = R"({"MoRoutingDId": 3003, "fNetChgQty": 1})";
  ASSERT_EQ(Call("MoRoutingWrB", body, "old").status, 200);
  EXPECT_TRUE(Call("MoRoutingWrB", body, "old").replayed);
  // Claimed 61 s ago: the key is free again, and the purge takes such rows away.
  conn_->Execute("update sys_idempotency set CreatedAt = CreatedAt - 61 where IdemKey = 'old'");
  CallAnswer later = Call("MoRoutingWrB", body, "old");
  EXPECT_EQ(later.status, 200);
  EXPECT_FALSE(later.replayed);
  EXPECT_DOUBLE_EQ(RoutingDone(), 3 + 1 + 1 + 1);
  conn_->Execute("update sys_idempotency set CreatedAt = CreatedAt - 61");
  EXPECT_EQ(service_->PurgeExpiredKeys(), 2);
  EXPECT_EQ(Count("select count(*) from sys_idempotency"), 0);
}

// Operations that commit on connections of their own keep their key whatever the
// outcome: a generation run that made some orders is never run again by a retry.
TEST_F(CallServiceTest, CallsOnTheirOwnConnectionsKeepEveryAnswer) {
  Json lines = Json::array({{{"id", 8002}, {"Krts", ""}, {"isosid", 8111}, {"iquantity", 3}, {"cinvCode", "FG001"},
                             {"dPreMoDate", "2024-06-01"}, {"cSOCode", "SO0002"}, {"iRowNO", 1}, {"igrouptype", 0},
                             {"inum", 0}, {"iinvexchrate", 1}}});
  Json body = {{"SoRs", lines}, {"cFrom", "SA"}};
  const int64_t orders = Count("select count(*) from mom_order");
  CallAnswer first = Call("PushMoFromSo", body.dump(), "gen-1");
  ASSERT_EQ(first.status, 200) << first.body;
  const int64_t made = Count("select count(*) from mom_order") - orders;
  CallAnswer again = Call("PushMoFromSo", body.dump(), "gen-1");
  EXPECT_TRUE(again.replayed);
  EXPECT_EQ(again.body, first.body);
  EXPECT_EQ(Count("select count(*) from mom_order") - orders, made);

  // A false result is kept too (no allocation 424242: nothing to pull).
  const std::string missing = R"({"MoAllocateId": 424242, "PQty": 3})";
  EXPECT_EQ(Call("STPullfromMORM", missing, "pull").result, "false");
  CallAnswer replay = Call("STPullfromMORM", missing, "pull");
  EXPECT_TRUE(replay.replayed);
  EXPECT_EQ(replay.result, "false");

  // A key whose call has not finished (or whose service stopped during it) says so.
  conn_->Execute("insert into sys_idempotency (IdemKey, Operation, Request, HttpStatus, Answer, CreatedAt) "
                 "values ('running', 'PushMoFromSo', '" + std::string("x") + "', 0, '', " +
                 std::to_string(mom_service::UnixNow()) + ")");
  CallAnswer running = Call("PushMoFromSo", body.dump(), "running");
  EXPECT_EQ(running.status, 422);  // another request
  conn_->Execute("update sys_idempotency set Request = (select Request from sys_idempotency where IdemKey = 'gen-1') "
                 "where IdemKey = 'running'");
  running = Call("PushMoFromSo", body.dump(), "running");
  EXPECT_EQ(running.status, 409) << running.body;
  EXPECT_NE(running.body.find("still running"), std::string::npos);
  EXPECT_EQ(Count("select count(*) from mom_order") - orders, made);
}

// Retries that arrive while the first request runs: one execution, the same answer.
TEST_F(CallServiceTest, ConcurrentRequestsWithOneKeyRunOnce) {
  constexpr int kThreads = 6;
  for (int round = 0; round < 5; ++round) {
    const std::string key = "same-" + std::to_string(round);
    std::vector<CallAnswer> answers(kThreads);
    std::atomic<int> ready{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t)
      threads.emplace_back([&, t] {
        ++ready;
        while (ready < kThreads) std::this_thread::yield();
        answers[t] = Call("MoRoutingWrB", R"({"MoRoutingDId": 3003, "fNetChgQty": 0.25})", key);
      });
    for (std::thread& t : threads) t.join();
    int executed = 0;
    for (const CallAnswer& a : answers) {
      EXPECT_EQ(a.status, 200) << a.body;
      EXPECT_EQ(a.body, answers[0].body);
      executed += !a.replayed;
    }
    EXPECT_EQ(executed, 1) << key;
  }
  EXPECT_DOUBLE_EQ(RoutingDone(), 3 + 5 * 0.25);
}

TEST_F(CallServiceTest, AnExistingDatabaseGetsTheTableAndNothingElseChanges) {
  service_.reset();
  conn_->Execute("drop table sys_idempotency");
  auto snapshot = [&] {
    std::string out;
    for (const char* sql : {"select MoRoutingDId, CompleteQty, Krts from sfc_moroutingdetail order by 1",
                            "select MoDId, QualifiedInQty, Krts from mom_orderdetail order by 1"}) {
      com::Ptr<ado::Recordset> rs = conn_->Execute(sql);
      for (; !rs->Eof(); rs->MoveNext()) out += rs->fields().Item(2).Value().ToString() + rs->fields().Item(1).Value().ToString();
    }
    return out;
  };
  const std::string rows = snapshot();
  service_ = MakeService();
  EXPECT_EQ(snapshot(), rows);
  EXPECT_EQ(Count("select count(*) from sys_idempotency"), 0);
  EXPECT_EQ(Call("MoRoutingWrB", R"({"MoRoutingDId": 3003, "fNetChgQty": 1})", "after").status, 200);
  EXPECT_TRUE(Call("MoRoutingWrB", R"({"MoRoutingDId": 3003, "fNetChgQty": 1})", "after").replayed);

  // A table of that name with other columns is left as it is, and the service does not start.
  service_.reset();
  conn_->Execute("drop table sys_idempotency");
  conn_->Execute("create table sys_idempotency (IdemKey varchar(10), Note varchar(10))");
  conn_->Execute("insert into sys_idempotency values ('a', 'kept')");
  try {
    MakeService();
    ADD_FAILURE() << "started on a foreign sys_idempotency";
  } catch (const com::Error& e) {
    EXPECT_EQ(e.number(), database::kErrIdempotencyTableShape);
  }
  EXPECT_EQ(Scalar("select Note from sys_idempotency").ToString(), "kept");
}

// A database that is not a manufacturing database is not touched.
TEST(EnsureIdempotencyTableTest, RefusesADatabaseWithoutManufacturingTables) {
  if (std::string why = testing_support::TestDatabase::Unavailable(); !why.empty()) GTEST_SKIP() << why;
  testing_support::TempDir dir;
  std::unique_ptr<testing_support::ServerDatabaseSlot> slot;
  std::ofstream(dir.File("other.db")).flush();  // an empty file is an empty SQLite database
  std::string target = ado::ConnectionString::ForSqliteFile(dir.File("other.db"));
  if (testing_support::TestDatabase::IsPostgres()) {
    slot = std::make_unique<testing_support::ServerDatabaseSlot>();
    ado::ConnectionString cs(slot->connection_string());
    com::Ptr<ado::Connection> server = ado::Connection::Create();
    server->Open(slot->connection_string() + ";Database=postgres");
    server->Execute("create database " + cs.GetOr("Database", ""));
    target = slot->connection_string();
  }
  com::Ptr<ado::Connection> db = ado::Connection::Create();
  db->Open(target);
  db->Execute("create table notes (id integer)");
  try {
    database::EnsureIdempotencyTable(*db);
    ADD_FAILURE() << "made its table in a foreign database";
  } catch (const com::Error& e) {
    EXPECT_EQ(e.number(), database::kErrNotManufacturingDatabase);
  }
  com::Ptr<ado::Recordset> rs = db->Execute(testing_support::TestDatabase::IsPostgres()
                                                ? "select count(*) from information_schema.tables where table_schema = current_schema()"
                                                : "select count(*) from sqlite_master");
  EXPECT_EQ(rs->fields().Item(0).Value().ToI8(), 1);
}

}  // namespace
