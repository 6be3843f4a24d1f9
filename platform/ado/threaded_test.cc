// The data layer with several threads at work, each with connections of its own, on
// the run's provider: what the providers share between connections (the provider
// table, the procedure catalog, the client libraries) holds while every thread opens,
// writes, rolls back, calls procedures and reads. Run under ThreadSanitizer as well
// (the tsan preset).

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "platform/ado/command.h"
#include "platform/ado/connection.h"
#include "platform/ado/recordset.h"
#include "platform/com/error.h"
#include "testing/test_database.h"

namespace {

using testing_support::TempDir;
using testing_support::TestDatabase;

com::Variant Scalar(ado::Connection& cn, const std::string& sql) {
  com::Ptr<ado::Recordset> rs = ado::Recordset::Create();
  rs->SetCursorLocation(ado::adUseClient);
  rs->Open(sql, &cn);
  return rs->Eof() ? com::Variant() : rs->fields().Item(0).Value();
}

// The net-demand rows that the procedure offers for sales line 8113 of the sample.
int32_t NetDemandRows(const com::Ptr<ado::Connection>& cn) {
  com::Ptr<ado::Command> cmd = ado::Command::Create();
  cmd->SetActiveConnection(cn);
  cmd->command_text = "Usp_MP_GetATONetDemand";
  cmd->command_type = ado::adCmdStoredProc;
  ado::Parameters& params = cmd->parameters();
  params.Append(cmd->CreateParameter("Return", ado::adInteger, ado::adParamReturnValue, 0));
  params.Append(cmd->CreateParameter("MoDId", ado::adInteger, ado::adParamInput, 0, com::Variant(0)));
  params.Append(cmd->CreateParameter("IsDel", ado::adBoolean, ado::adParamInput, 0, com::Variant(false)));
  params.Append(cmd->CreateParameter("PartId", ado::adInteger, ado::adParamInput, 0, com::Variant(3)));
  params.Append(cmd->CreateParameter("DueDate", ado::adDate, ado::adParamInput, 0, com::Variant(com::Date{45000})));
  params.Append(cmd->CreateParameter("SoType", ado::adTinyInt, ado::adParamInput, 0, com::Variant(uint8_t{1})));
  params.Append(cmd->CreateParameter("SoDId", ado::adInteger, ado::adParamInput, 0, com::Variant(8113)));
  params.Append(cmd->CreateParameter("OrdFlag", ado::adBoolean, ado::adParamInput, 0, com::Variant(true)));
  com::Ptr<ado::Recordset> rs = ado::Recordset::Create();
  rs->SetCursorLocation(ado::adUseClient);
  rs->Open(cmd.get(), ado::adOpenStatic, ado::adLockBatchOptimistic, -1);
  return rs->RecordCount();
}

class ThreadedDataTest : public ::testing::Test {
 protected:
  static constexpr int kThreads = 4;
  static constexpr int kRounds = 60;

  void SetUp() override {
    if (std::string why = TestDatabase::Unavailable(); !why.empty()) GTEST_SKIP() << why;
    shared_ = std::make_unique<TestDatabase>(shared_dir_);
    for (int t = 0; t < kThreads; ++t) {
      dirs_.push_back(std::make_unique<TempDir>());
      own_.push_back(std::make_unique<TestDatabase>(*dirs_.back()));
    }
  }

  TempDir shared_dir_;
  std::unique_ptr<TestDatabase> shared_;
  std::vector<std::unique_ptr<TempDir>> dirs_;
  std::vector<std::unique_ptr<TestDatabase>> own_;
};

TEST_F(ThreadedDataTest, ThreadsWorkOnConnectionsOfTheirOwnAtOnce) {
  std::vector<std::string> failures(kThreads);
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([this, t, &failures] {
      const std::string who = "thread " + std::to_string(t);
      try {
        com::Ptr<ado::Connection> own, shared;
        for (int i = 0; i < kRounds; ++i) {
          if (i % 20 == 0) {  // connections come and go while the others work
            own = ado::Connection::Create();
            own->Open(own_[t]->connection_string());
            shared = ado::Connection::Create();
            shared->Open(shared_->connection_string());
          }
          com::Ptr<ado::Command> insert = ado::Command::Create();
          insert->SetActiveConnection(own);
          insert->command_text = "insert into Person (cPersonCode, cPersonName, cDepName) values (?, ?, ?)";
          insert->parameters().Append(
              insert->CreateParameter("code", ado::adVarWChar, ado::adParamInput, 20, com::Variant("T" + std::to_string(i))));
          insert->parameters().Append(
              insert->CreateParameter("name", ado::adVarWChar, ado::adParamInput, 40, com::Variant(who)));
          insert->parameters().Append(
              insert->CreateParameter("dep", ado::adVarWChar, ado::adParamInput, 40, com::Variant("线程")));
          own->BeginTrans();
          insert->Execute(nullptr, ado::adExecuteNoRecords);
          if (i % 3 == 0) {
            own->RollbackTrans();
          } else {
            own->CommitTrans();
          }
          if (NetDemandRows(shared) != 3) throw com::Error(1, "the procedure gave another thread's rows");
        }
        const int32_t kept = Scalar(*own, "select count(*) from Person where cPersonName = '" + who + "'").ToI4();
        if (kept != kRounds - (kRounds + 2) / 3) throw com::Error(1, "kept " + std::to_string(kept) + " rows");
        if (Scalar(*shared, "select count(*) from Person where cDepName = '线程'").ToI4() != 0)
          throw com::Error(1, "a row reached the shared database");
      } catch (const com::Error& e) {
        failures[t] = e.description();
      }
    });
  }
  for (std::thread& t : threads) t.join();
  for (int t = 0; t < kThreads; ++t) EXPECT_EQ(failures[t], "") << "thread " << t;
}

}  // namespace
