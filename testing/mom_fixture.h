#pragma once
// A fixture for tests of the component as callers see it: a private registry with the
// suite and the component registered, a fresh sample database of the run's provider, an open connection,
// and clsMOM created through the registry (late-bound and early-bound views).

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "component/cls_mom_interface.h"
#include "platform/ado/connection.h"
#include "platform/com/dispatch.h"
#include "testing/test_database.h"
#include "testing/test_support.h"

namespace testing_support {

class MomFixture : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // The token of a row as callers read it.
  std::string Token(const std::string& table, const std::string& key, int32_t id);
  // The first column of the first row of `sql` (Empty when there is none).
  com::Variant Scalar(const std::string& sql);
  // A second, independent connection to the same database.
  com::Ptr<ado::Connection> OpenConnection();

  std::unique_ptr<TempDir> dir_;
  std::unique_ptr<ScopedEnv> registry_env_;
  std::unique_ptr<TestDatabase> database_;
  std::string connection_string_;
  com::Ptr<ado::Connection> conn_;
  com::Ptr<com::IDispatch> mom_;
  com::Ptr<mom::_clsMOM> early_;
};

}  // namespace testing_support
