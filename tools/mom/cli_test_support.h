#pragma once
// A fixture for tests of the console run as a program, as integrators run it: each
// test has a private registry and directory, and a database target of the run's
// provider (a file in the directory, or a database on the PostgreSQL server) that
// the test creates with `mom init`.

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>
#include <memory>
#include <string>

#include "testing/test_database.h"
#include "testing/test_support.h"

namespace mom_console_test {

class CliTest : public ::testing::Test {
 protected:
  struct Run {
    int exit_code;
    std::string out;
  };
  // Runs `mom ARGS` with the private registry and the extra environment assignments
  // `env` ("NAME=value ..."); stderr goes to the file "stderr".
  Run Mom(const std::string& args, const std::string& env = "") {
    std::string cmd = env + " MOM_REGISTRY='" + dir_.File("registry.reg") + "' '" MOM_PROGRAM "' " + args +
                      " 2>'" + dir_.File("stderr") + "'";
    FILE* p = popen(cmd.c_str(), "r");
    std::string out;
    char buf[4096];
    size_t n;
    while ((n = fread(buf, 1, sizeof buf, p)) > 0) out.append(buf, n);
    int status = pclose(p);
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, out};
  }
  void SetUp() override {
    if (std::string why = testing_support::TestDatabase::Unavailable(); !why.empty()) GTEST_SKIP() << why;
    if (testing_support::TestDatabase::IsPostgres()) {
      slot_ = std::make_unique<testing_support::ServerDatabaseSlot>();
      target_ = slot_->connection_string();
    } else {
      target_ = dir_.File("mom.db");
    }
  }
  std::string Db() { return "'" + target_ + "'"; }
  void Init() { ASSERT_EQ(Mom("init " + Db() + " --sample").exit_code, 0); }

  testing_support::TempDir dir_;
  std::unique_ptr<testing_support::ServerDatabaseSlot> slot_;
  std::string target_;
};

}  // namespace mom_console_test
