#include "platform/ado/procedure_catalog.h"

#include <gtest/gtest.h>

#include <chrono>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "platform/ado/ado_test_support.h"
#include "platform/ado/command.h"
#include "testing/test_support.h"

namespace {

using ado_test::Open;
using ado_test::Raised;
using ado_test::Scalar;

// Procedures under test, registered once for the process.
void RegisterTestProcedures() {
  static bool done = [] {
    // test_add_item(name, amount): inserts a row; returns the new key.
    ado::RegisterProcedure("SQLite", "Test_Add_Item", [](ado::ProcedureContext& db, std::span<const com::Variant> args) {
      db.Exec("insert into Items (name, amount) values (?, ?)", {args[0], args[1]});
      return db.Query("select max(k) from Items").rows[0][0].ToI4();
    });
    // test_add_then_fail(name): inserts, then fails.
    ado::RegisterProcedure("SQLite", "test_add_then_fail", [](ado::ProcedureContext& db, std::span<const com::Variant> args) -> int32_t {
      db.Exec("insert into Items (name) values (?)", {args[0]});
      throw std::runtime_error("amount missing for " + args[0].ToString());
    });
    // test_list(min_amount): hands back the rows at or above it; returns their count.
    ado::RegisterProcedure("SQLite", "test_list", [](ado::ProcedureContext& db, std::span<const com::Variant> args) {
      ado::QueryResult rows = db.Query("select name, amount from Items where amount >= ? order by k", {args[0]});
      auto count = static_cast<int32_t>(rows.rows.size());
      db.ReturnRows(std::move(rows));
      return count;
    });
    ado::RegisterProcedure("SQLite", "test_slow", [](ado::ProcedureContext& db, std::span<const com::Variant>) {
      db.Exec("insert into Items (name) values ('slow')");
      db.Query("with recursive c(x) as (select 1 union all select x + 1 from c where x < 2000000000) "
               "select count(*) from c");
      return 0;
    });
    // test_bump(k, by): reads a row's amount, then writes it back raised.
    ado::RegisterProcedure("SQLite", "test_bump", [](ado::ProcedureContext& db, std::span<const com::Variant> args) {
      double amount = db.Query("select amount from Items where k = ?", {args[0]}).rows.at(0)[0].ToR8();
      db.Exec("update Items set amount = ? where k = ?", {com::Variant(amount + args[1].ToR8()), args[0]});
      return 0;
    });
    return true;
  }();
  (void)done;
}

class ProcedureTest : public ::testing::Test {
 protected:
  void SetUp() override {
    RegisterTestProcedures();
    path_ = dir_.File("proc.db");
    db_ = Open(path_, true);
    db_->Execute("create table Items (k integer primary key, name varchar(20), amount decimal(28,6))");
  }
  com::Ptr<ado::Command> Call(const std::string& name) {
    auto cmd = ado::Command::Create();
    cmd->SetActiveConnection(db_);
    cmd->command_text = name;
    cmd->command_type = ado::adCmdStoredProc;
    cmd->parameters().Append(cmd->CreateParameter("Return", ado::adInteger, ado::adParamReturnValue));
    return cmd;
  }
  com::Ptr<ado::Command> AddItem(const std::string& name, double amount) {
    auto cmd = Call("test_add_item");
    cmd->parameters().Append(cmd->CreateParameter("@Name", ado::adVarChar, ado::adParamInput, 20, name));
    auto p = cmd->CreateParameter("@Amount", ado::adDecimal, ado::adParamInput, 0, amount);
    p->precision = 28;
    p->numeric_scale = 6;
    cmd->parameters().Append(p);
    return cmd;
  }
  int Count() { return Scalar(*db_, "select count(*) from Items").ToI4(); }

  testing_support::TempDir dir_;
  std::string path_;
  com::Ptr<ado::Connection> db_;
};

TEST_F(ProcedureTest, ReturnValueAndRoundedArgumentsReachTheBody) {
  auto cmd = AddItem("bolt", 1.23456789);
  EXPECT_FALSE(cmd->Execute(nullptr, ado::adExecuteNoRecords));
  EXPECT_EQ((*cmd)["return"], com::Variant(int32_t{1}));
  EXPECT_EQ(Scalar(*db_, "select amount from Items where name = 'bolt'"), com::Variant(1.234568));
  // Committed without a caller transaction: another connection sees it.
  EXPECT_EQ(Scalar(*Open(path_), "select count(*) from Items").ToI4(), 1);
  (*cmd)["@name"] = "nut";
  cmd->Execute();
  EXPECT_EQ((*cmd)["Return"], com::Variant(int32_t{2}));
}

TEST_F(ProcedureTest, RunsInsideTheCallersTransaction) {
  db_->BeginTrans();
  AddItem("bolt", 1)->Execute();
  EXPECT_TRUE(db_->session().InTransaction());
  db_->RollbackTrans();
  EXPECT_EQ(Count(), 0);
}

TEST_F(ProcedureTest, AFailingBodyUndoesOnlyItsOwnWrites) {
  db_->BeginTrans();
  db_->Execute("insert into Items (name) values ('before')");
  auto cmd = Call("TEST_ADD_THEN_FAIL");
  cmd->parameters().Append(cmd->CreateParameter("@Name", ado::adVarChar, ado::adParamInput, 20, "washer"));
  auto e = Raised([&] { cmd->Execute(); });
  ASSERT_TRUE(e);
  EXPECT_EQ(e->number(), ado::kErrProvider);
  EXPECT_EQ(e->description(), "amount missing for washer");
  EXPECT_TRUE(db_->session().InTransaction());
  db_->CommitTrans();
  EXPECT_EQ(Scalar(*db_, "select group_concat(name) from Items").ToString(), "before");
}

TEST_F(ProcedureTest, RowsAndReturnValueThroughARecordset) {
  AddItem("a", 1)->Execute();
  AddItem("b", 5)->Execute();
  AddItem("c", 9)->Execute();
  auto cmd = Call("test_list");
  cmd->parameters().Append(cmd->CreateParameter("@Min", ado::adInteger, ado::adParamInput, 0, int32_t{5}));
  auto rs = ado::Recordset::Create();
  rs->Open(cmd.get());
  ASSERT_EQ(rs->RecordCount(), 2);
  EXPECT_EQ((*rs)["name"].Value(), com::Variant("b"));
  EXPECT_EQ((*rs)["amount"].Type(), ado::adDecimal);
  EXPECT_EQ((*cmd)["Return"], com::Variant(int32_t{2}));
}

TEST_F(ProcedureTest, UnknownProcedure) {
  auto e = Raised([&] { Call("no_such_proc")->Execute(); });
  ASSERT_TRUE(e);
  EXPECT_EQ(e->number(), ado::kErrProvider);
  EXPECT_EQ(e->description(), "Could not find stored procedure 'no_such_proc'.");
}

TEST_F(ProcedureTest, TimeoutCoversTheWholeProcedureAndUndoesIt) {
  auto cmd = Call("test_slow");
  cmd->command_timeout = 1;
  auto start = std::chrono::steady_clock::now();
  auto e = Raised([&] { cmd->Execute(); });
  ASSERT_TRUE(e);
  EXPECT_EQ(e->number(), ado::kErrQueryTimeout);
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
  EXPECT_FALSE(db_->session().InTransaction());
  EXPECT_EQ(Count(), 0);
}

// Calls outside any transaction read and then write: each must wait for the others'
// locks instead of failing at once, and none may read a value another is changing.
TEST_F(ProcedureTest, ConcurrentCallsOutsideATransactionAllLand) {
  db_->Execute("insert into Items (name, amount) values ('counter', 0)");
  constexpr int kThreads = 4;
  constexpr int kCalls = 150;
  std::vector<std::string> failures(kThreads);
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([&, t] {
      try {
        auto conn = Open(path_);
        auto cmd = ado::Command::Create();
        cmd->SetActiveConnection(conn);
        cmd->command_text = "test_bump";
        cmd->command_type = ado::adCmdStoredProc;
        cmd->parameters().Append(cmd->CreateParameter("@K", ado::adInteger, ado::adParamInput, 0, int32_t{1}));
        cmd->parameters().Append(cmd->CreateParameter("@By", ado::adDouble, ado::adParamInput, 0, 1.0 + t));
        for (int i = 0; i < kCalls; ++i) cmd->Execute();
      } catch (const com::Error& e) {
        failures[static_cast<size_t>(t)] = e.description();
      }
    });
  }
  for (std::thread& t : threads) t.join();
  for (const std::string& f : failures) EXPECT_EQ(f, "");
  EXPECT_DOUBLE_EQ(Scalar(*db_, "select amount from Items where k = 1").ToR8(), kCalls * (1 + 2 + 3 + 4));
  EXPECT_FALSE(db_->session().InTransaction());
}

}  // namespace

