#pragma once
// What the PostgreSQL provider's tests share: the server MOM_TEST_PG names (its base
// connection string, from scripts/pg_cluster.sh start DIR), and a fixture giving each
// test a database of its own, created here and dropped at the end. Without MOM_TEST_PG
// the tests that need a server skip.

#include <gtest/gtest.h>
#include <unistd.h>

#include <atomic>
#include <cstdlib>
#include <string>

#include "platform/ado/ado_test_support.h"
#include "platform/ado/command.h"
#include "platform/ado/connection.h"

namespace pg_test {

using ado_test::Scalar;

inline std::string BaseConnectionString() {
  const char* base = std::getenv("MOM_TEST_PG");
  return base ? base : "";
}

#define REQUIRE_SERVER()                                                                         \
  do {                                                                                           \
    if (pg_test::BaseConnectionString().empty())                                                 \
      GTEST_SKIP() << "MOM_TEST_PG is not set: no PostgreSQL server to test against "            \
                      "(scripts/pg_cluster.sh start DIR prints its connection string)";          \
  } while (0)

inline com::Ptr<ado::Connection> OpenConnection(const std::string& cs, int32_t timeout = 5) {
  auto c = ado::Connection::Create();
  c->SetConnectionTimeout(timeout);
  c->Open(cs);
  return c;
}

class PgTest : public ::testing::Test {
 protected:
  void SetUp() override {
    REQUIRE_SERVER();
    static std::atomic<int> counter{0};
    db_name_ = "mom_pgtest_" + std::to_string(getpid()) + "_" + std::to_string(++counter);
    admin_ = OpenConnection(BaseConnectionString());
    admin_->Execute("CREATE DATABASE " + db_name_);
    cs_ = BaseConnectionString() + ";Database=" + db_name_;
    db_ = OpenConnection(cs_);
  }
  void TearDown() override {
    db_ = {};
    other_ = {};
    if (admin_) admin_->Execute("DROP DATABASE IF EXISTS " + db_name_ + " WITH (FORCE)");
  }
  ado::Connection& Other() {
    if (!other_) other_ = OpenConnection(cs_);
    return *other_;
  }
  com::Ptr<ado::Command> Text(ado::Connection& c, const std::string& sql) {
    auto cmd = ado::Command::Create();
    cmd->SetActiveConnection(com::Ptr<ado::Connection>(&c));
    cmd->command_text = sql;
    cmd->command_type = ado::adCmdText;
    return cmd;
  }
  int Count(ado::Connection& c, const std::string& table) {
    return Scalar(c, "select count(*) from " + table).ToI4();
  }

  std::string db_name_, cs_;
  com::Ptr<ado::Connection> admin_, db_, other_;
};

}  // namespace pg_test
