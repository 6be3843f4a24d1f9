#pragma once
// A fixture for tests of the console run as a program, as integrators run it: each
// test has a private registry and directory.

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>
#include <string>

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
  std::string Db() { return "'" + dir_.File("mom.db") + "'"; }
  void Init() { ASSERT_EQ(Mom("init " + Db() + " --sample").exit_code, 0); }

  testing_support::TempDir dir_;
};

}  // namespace mom_console_test
