// The data layer's errors on the run's provider: besides the number and description
// the component's traps look at, each carries the provider's own verdict (SQLite's
// extended result code, PostgreSQL's SQLSTATE) and the statement that failed, so that
// a caller can tell a timeout from a lock wait from a duplicate key.

#include <gtest/gtest.h>

#include <functional>
#include <optional>
#include <string>

#include "platform/ado/connection.h"
#include "platform/ado/error.h"
#include "platform/ado/recordset.h"
#include "testing/test_database.h"

namespace {

using testing_support::TempDir;
using testing_support::TestDatabase;

constexpr int kSqliteBusy = 5;
constexpr int kSqliteInterrupt = 9;
constexpr int kSqliteConstraintPrimaryKey = 1555;
constexpr int kSqliteConstraintUnique = 2067;

std::optional<ado::Error> Raised(const std::function<void()>& f) {
  try {
    f();
  } catch (const ado::Error& e) {
    return e;
  }
  return std::nullopt;
}

class ErrorCodesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (std::string why = TestDatabase::Unavailable(); !why.empty()) GTEST_SKIP() << why;
    database_.emplace(dir_, /*with_sample=*/false);
    db_ = Open();
    other_ = Open();
    db_->Execute("create table t (k int primary key, code varchar(10) not null unique, v int)");
    db_->Execute("insert into t (k, code, v) values (1, 'A', 0)");
  }

  com::Ptr<ado::Connection> Open() {
    auto c = ado::Connection::Create();
    c->Open(database_->connection_string());
    return c;
  }

  TempDir dir_;
  std::optional<TestDatabase> database_;
  com::Ptr<ado::Connection> db_, other_;
};

TEST_F(ErrorCodesTest, FailuresCarryTheProvidersOwnCodeAndTheStatement) {
  struct Case {
    const char* name;
    const char* sql;
    int32_t number;
    int sqlite_code;        // the extended code; under kSqliteBusy/kSqliteInterrupt only the primary one counts
    const char* sqlstate;   // PostgreSQL's
  };
  const Case cases[] = {
      {"primary key", "insert into t (k, code, v) values (1, 'B', 0)", ado::kErrProvider, kSqliteConstraintPrimaryKey,
       "23505"},
      {"unique column", "insert into t (k, code, v) values (2, 'A', 0)", ado::kErrProvider, kSqliteConstraintUnique,
       "23505"},
      {"not null", "insert into t (k, code, v) values (3, null, 0)", ado::kErrProvider, 1299, "23502"},
      {"no such table", "select * from no_such_table", ado::kErrProvider, 1, "42P01"},
  };
  for (const Case& c : cases) {
    auto e = Raised([&] { db_->Execute(c.sql); });
    ASSERT_TRUE(e) << c.name;
    EXPECT_EQ(e->number(), c.number) << c.name;
    EXPECT_NE(e->sql().find(c.sql), std::string::npos) << c.name << ": " << e->sql();
    if (TestDatabase::IsPostgres()) {
      EXPECT_EQ(e->sqlstate(), c.sqlstate) << c.name << ": " << e->description();
    } else {
      EXPECT_EQ(e->native_code(), c.sqlite_code) << c.name << ": " << e->description();
      EXPECT_EQ(e->sqlstate(), "") << c.name;
    }
  }
  // The data layer's own refusals have no provider verdict.
  auto own = Raised([&] { db_->CommitTrans(); });
  ASSERT_TRUE(own);
  EXPECT_EQ(own->sqlstate(), "");
  EXPECT_EQ(own->native_code(), 0);
}

TEST_F(ErrorCodesTest, TimeoutsKeepTheirDescriptionAndTellASlowStatementFromALockWait) {
  struct Case {
    const char* name;
    bool lock_held;  // another connection holds the row the statement writes
    const char* sql;
    int sqlite_primary;
    const char* sqlstate;
  };
  const Case cases[] = {
      {"slow statement", false,
       "with recursive c(x) as (select 1 union all select x + 1 from c where x < 2000000000) select count(*) from c",
       kSqliteInterrupt, "57014"},
      // The server cancels a lock wait by the statement timeout, as it does a slow statement.
      {"lock wait", true, "update t set v = 2 where k = 1", kSqliteBusy, "57014"},
  };
  db_->SetCommandTimeout(1);
  for (const Case& c : cases) {
    if (c.lock_held) {
      other_->BeginTrans();
      other_->Execute("update t set v = 1 where k = 1");
    }
    auto e = Raised([&] { db_->Execute(c.sql); });
    if (c.lock_held) other_->RollbackTrans();
    ASSERT_TRUE(e) << c.name;
    EXPECT_EQ(e->number(), ado::kErrQueryTimeout) << c.name;
    EXPECT_EQ(e->description(), "Query timeout expired") << c.name;
    EXPECT_NE(e->sql().find(c.sql), std::string::npos) << c.name << ": " << e->sql();
    if (TestDatabase::IsPostgres())
      EXPECT_EQ(e->sqlstate(), c.sqlstate) << c.name;
    else
      EXPECT_EQ(e->native_code() & 0xFF, c.sqlite_primary) << c.name << ": " << e->native_code();
  }
}

TEST_F(ErrorCodesTest, ALockNotWaitedForIsNotATimeout) {
  if (!TestDatabase::IsPostgres()) GTEST_SKIP() << "SQLite has no NOWAIT: its lock waits end as timeouts";
  other_->BeginTrans();
  other_->Execute("update t set v = 1 where k = 1");
  db_->BeginTrans();
  auto e = Raised([&] { db_->Execute("select k from t where k = 1 for update nowait"); });
  db_->RollbackTrans();
  other_->RollbackTrans();
  ASSERT_TRUE(e);
  EXPECT_EQ(e->number(), ado::kErrProvider);
  EXPECT_EQ(e->sqlstate(), "55P03") << e->description();
}

}  // namespace
