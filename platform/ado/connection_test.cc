#include "platform/ado/connection.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <functional>

#include <sqlite3.h>

#include "platform/ado/ado_test_support.h"
#include "platform/ado/connection_string.h"
#include "testing/test_support.h"

namespace {

using ado_test::Open;
using ado_test::Raised;
using ado_test::RaisedNumber;
using ado_test::Scalar;
using Clock = std::chrono::steady_clock;

TEST(ConnectionStringTest, KeysIgnoreCaseAndValuesMayBeQuoted) {
  ado::ConnectionString cs(R"(provider=SQLite; DATA SOURCE = "/tmp/a;b.db" ;Mode=Create;Odd='it''s')");
  EXPECT_EQ(cs.GetOr("Provider", ""), "SQLite");
  EXPECT_EQ(cs.GetOr("Data Source", ""), "/tmp/a;b.db");
  EXPECT_EQ(cs.GetOr("mode", ""), "Create");
  EXPECT_EQ(cs.GetOr("odd", ""), "it's");
  EXPECT_FALSE(cs.Get("User ID"));
  ado::ConnectionString round_trip(ado::ConnectionString::ForSqliteFile("/x/\"q\";y.db"));
  EXPECT_EQ(round_trip.GetOr("data source", ""), "/x/\"q\";y.db");
}

class ConnectionTest : public ::testing::Test {
 protected:
  void SetUp() override {
    path_ = dir_.File("c.db");
    db_ = Open(path_, true);
    db_->Execute("create table T (k integer primary key, v varchar(20))");
  }
  int Count(ado::Connection& c) { return Scalar(c, "select count(*) from T").ToI4(); }

  testing_support::TempDir dir_;
  std::string path_;
  com::Ptr<ado::Connection> db_;
};

TEST_F(ConnectionTest, OpeningDoesNotCreateAMissingDatabase) {
  std::string missing = dir_.File("missing.db");
  auto e = Raised([&] { Open(missing); });
  ASSERT_TRUE(e);
  EXPECT_EQ(e->number(), ado::kErrProvider);
  EXPECT_EQ(e->description(), "database does not exist: " + missing);
  EXPECT_FALSE(std::filesystem::exists(missing));

  std::string garbage = dir_.File("garbage.db");
  std::ofstream(garbage) << "this is not a database, just some text that is long enough to have a header";
  e = Raised([&] { Open(garbage); });
  ASSERT_TRUE(e);
  EXPECT_EQ(e->description(), "not a database: " + garbage);

  // Without a Provider key the string still means SQLite.
  auto c = ado::Connection::Create();
  c->Open("Data Source=" + path_);
  EXPECT_EQ(c->State(), ado::adStateOpen);
  EXPECT_EQ(RaisedNumber([&] { ado::Connection::Create()->Open("Provider=Nope;Data Source=x"); }),
            ado::kErrProviderNotFound);
}

TEST_F(ConnectionTest, StateRules) {
  auto closed = ado::Connection::Create();
  const struct {
    const char* what;
    std::function<void()> op;
    int32_t number;
  } cases[] = {
      {"open twice", [&] { db_->Open(); }, ado::kErrOperationNotAllowed},
      {"commit without transaction", [&] { db_->CommitTrans(); }, ado::kErrOperationNotAllowed},
      {"rollback without transaction", [&] { db_->RollbackTrans(); }, ado::kErrOperationNotAllowed},
      {"execute when closed", [&] { closed->Execute("select 1"); }, ado::kErrConnectionUnusable},
      {"begin when closed", [&] { closed->BeginTrans(); }, ado::kErrConnectionUnusable},
      {"close when closed", [&] { closed->Close(); }, ado::kErrObjectClosed},
  };
  for (const auto& c : cases) EXPECT_EQ(RaisedNumber(c.op), c.number) << c.what;
  db_->BeginTrans();
  EXPECT_EQ(RaisedNumber([&] { db_->BeginTrans(); }), ado::kErrOperationNotAllowed);
}

TEST_F(ConnectionTest, SessionSettings) {
  EXPECT_EQ(Scalar(*db_, "pragma journal_mode").ToString(), "wal");
  EXPECT_EQ(Scalar(*db_, "pragma foreign_keys").ToI4(), 1);
}

TEST_F(ConnectionTest, ProviderErrorsCarryMessageCodeAndSql) {
  try {
    db_->Execute("select * from foo");
    FAIL() << "no error";
  } catch (const ado::Error& e) {
    EXPECT_EQ(e.number(), ado::kErrProvider);
    EXPECT_EQ(e.description(), "no such table: foo");
    EXPECT_EQ(e.sql(), "select * from foo");
    EXPECT_NE(e.native_code(), 0);
  }
}

TEST_F(ConnectionTest, ExecuteReportsRowsAndAffectedCounts) {
  int64_t affected = 0;
  EXPECT_FALSE(db_->Execute("insert into T (v) values ('a'), ('b'), ('c')", &affected, ado::adExecuteNoRecords));
  EXPECT_EQ(affected, 3);
  auto rs = db_->Execute("update T set v = 'z' where k > 1", &affected);
  EXPECT_EQ(affected, 2);
  EXPECT_EQ(rs->State(), ado::adStateClosed);
  // A script: counts add up and the first result is kept.
  rs = db_->Execute("delete from T where k = 1; select v from T order by k; delete from T", &affected);
  EXPECT_EQ(affected, 3);
  EXPECT_EQ(rs->RecordCount(), 2);
  EXPECT_EQ(Count(*db_), 0);
}

TEST_F(ConnectionTest, TransactionsCommitAndRollBack) {
  db_->BeginTrans();
  db_->Execute("insert into T (v) values ('gone')");
  db_->RollbackTrans();
  EXPECT_EQ(Count(*db_), 0);
  db_->BeginTrans();
  db_->Execute("insert into T (v) values ('kept')");
  db_->CommitTrans();
  EXPECT_EQ(Count(*Open(path_)), 1);
}

TEST_F(ConnectionTest, ReleasingOrClosingRollsBackAnOpenTransaction) {
  {
    auto writer = Open(path_);
    writer->BeginTrans();
    writer->Execute("insert into T (v) values ('released')");
  }
  EXPECT_EQ(Count(*db_), 0);
  auto writer = Open(path_);
  writer->BeginTrans();
  writer->Execute("insert into T (v) values ('closed')");
  writer->Close();
  EXPECT_EQ(Count(*db_), 0);
}

TEST_F(ConnectionTest, SecondWriterWaitsForTheCommandTimeoutThenTimesOut) {
  db_->BeginTrans();
  db_->Execute("insert into T (v) values ('first')");

  // Every way of writing waits for the held lock within its command timeout and ends
  // with the timeout error; beginning a transaction does not wait at all.
  const struct {
    const char* name;
    bool in_transaction;
    const char* sql;
  } cases[] = {
      {"statement in a transaction", true, "insert into T (v) values ('second')"},
      {"read in a transaction", true, "select count(*) from T"},
      {"statement alone", false, "insert into T (v) values ('second')"},
      {"batch alone", false, "update T set v = 'x' where k = 0; insert into T (v) values ('second')"},
  };
  auto second = ado::Connection::Create();
  second->SetConnectionTimeout(5);
  second->SetCommandTimeout(1);
  second->Open(ado::ConnectionString::ForSqliteFile(path_));
  for (const auto& c : cases) {
    auto start = Clock::now();
    if (c.in_transaction) second->BeginTrans();
    EXPECT_LT(Clock::now() - start, std::chrono::milliseconds(200)) << c.name;
    auto e = Raised([&] { second->Execute(c.sql); });
    auto waited = Clock::now() - start;
    ASSERT_TRUE(e) << c.name;
    EXPECT_EQ(e->number(), ado::kErrQueryTimeout) << c.name;
    EXPECT_EQ(e->description(), "Query timeout expired") << c.name;
    EXPECT_GE(waited, std::chrono::milliseconds(900)) << c.name;
    EXPECT_LT(waited, std::chrono::seconds(4)) << c.name;
    EXPECT_EQ(second->session().InTransaction(), c.in_transaction) << c.name;
    if (c.in_transaction) second->RollbackTrans();
  }

  db_->CommitTrans();
  second->BeginTrans();
  second->Execute("insert into T (v) values ('second')");
  second->CommitTrans();
  EXPECT_EQ(Count(*db_), 2);
  EXPECT_EQ(Scalar(*db_, "pragma integrity_check").ToString(), "ok");
}

// A database still in its rollback journal (as made by other tools) while another
// program writes to it: opening does not fail, and a write waits for the lock.
TEST_F(ConnectionTest, ADatabaseThatAnotherProgramWritesStillOpensAndWaits) {
  std::string path = dir_.File("journal.db");
  sqlite3* other = nullptr;
  ASSERT_EQ(sqlite3_open(path.c_str(), &other), SQLITE_OK);
  ASSERT_EQ(sqlite3_exec(other, "create table T (v text); begin immediate; insert into T values ('held')", nullptr,
                         nullptr, nullptr),
            SQLITE_OK);
  auto c = ado::Connection::Create();
  c->SetCommandTimeout(1);
  c->Open(ado::ConnectionString::ForSqliteFile(path));
  EXPECT_EQ(Scalar(*c, "select count(*) from T").ToI4(), 0);
  EXPECT_EQ(RaisedNumber([&] { c->Execute("insert into T values ('mine')"); }), ado::kErrQueryTimeout);
  ASSERT_EQ(sqlite3_exec(other, "commit", nullptr, nullptr, nullptr), SQLITE_OK);
  c->Execute("insert into T values ('mine')");
  EXPECT_EQ(Scalar(*c, "select count(*) from T").ToI4(), 2);
  sqlite3_close(other);
}

TEST_F(ConnectionTest, AnEmptyTransactionTakesNoLock) {
  auto second = Open(path_);
  db_->BeginTrans();
  second->BeginTrans();
  second->Execute("insert into T (v) values ('second')");
  second->CommitTrans();
  db_->CommitTrans();  // nothing was begun on the database: nothing to end
  EXPECT_EQ(Count(*db_), 1);
  db_->BeginTrans();
  db_->RollbackTrans();
  EXPECT_EQ(RaisedNumber([&] { db_->CommitTrans(); }), ado::kErrOperationNotAllowed);
}

TEST_F(ConnectionTest, CommandTimeoutInterruptsALongStatement) {
  db_->SetCommandTimeout(1);
  const char* slow =
      "with recursive c(x) as (select 1 union all select x + 1 from c where x < 2000000000) "
      "select count(*) from c";
  auto start = Clock::now();
  auto e = Raised([&] { db_->Execute(slow); });
  ASSERT_TRUE(e);
  EXPECT_EQ(e->number(), ado::kErrQueryTimeout);
  EXPECT_EQ(e->description(), "Query timeout expired");
  EXPECT_LT(Clock::now() - start, std::chrono::seconds(5));
  // The connection stays usable, and short statements are not affected.
  EXPECT_EQ(Scalar(*db_, "select 7").ToI4(), 7);
}

TEST_F(ConnectionTest, ColumnTypesFollowDeclaredTypes) {
  db_->Execute(
      "create table Types (i INT, bi BIGINT, si SMALLINT, ti TINYINT, b BIT, d DECIMAL(28,6), m MONEY, "
      "r REAL, dt DATETIME, vc VARCHAR(12), c CHAR(3), nv NVARCHAR(40), nc NCHAR(2), t TEXT, rv ROWVERSION);"
      "insert into Types values (5, 5000000000, 7, 200, 1, 1.5, 2.25, 0.5, '2024-02-29 13:14:15.250', 'v', "
      "'c', 'n', 'x', 't', 42)");
  const struct {
    const char* column;
    ado::DataType type;
    int32_t size;
    com::Variant value;
  } cases[] = {
      {"i", ado::adInteger, 0, com::Variant(int32_t{5})},
      {"bi", ado::adBigInt, 0, com::Variant(int64_t{5000000000})},
      {"si", ado::adSmallInt, 0, com::Variant(int16_t{7})},
      {"ti", ado::adTinyInt, 0, com::Variant(uint8_t{200})},
      {"b", ado::adBoolean, 0, com::Variant(true)},
      {"d", ado::adDecimal, 0, com::Variant(1.5)},
      {"m", ado::adDecimal, 0, com::Variant(2.25)},
      {"r", ado::adDouble, 0, com::Variant(0.5)},
      {"vc", ado::adVarChar, 12, com::Variant("v")},
      {"c", ado::adChar, 3, com::Variant("c")},
      {"nv", ado::adVarWChar, 40, com::Variant("n")},
      {"nc", ado::adWChar, 2, com::Variant("x")},
      {"t", ado::adVarWChar, 0, com::Variant("t")},
      {"rv", ado::adBigInt, 0, com::Variant(int64_t{42})},
  };
  auto rs = db_->Execute("select * from Types");
  for (const auto& c : cases) {
    const ado::Field& f = rs->fields().Item(c.column);
    EXPECT_EQ(f.Type(), c.type) << c.column;
    EXPECT_EQ(f.DefinedSize(), c.size) << c.column;
    EXPECT_EQ(f.Value(), c.value) << c.column;
  }
  EXPECT_EQ(rs->fields().Item("d").Precision(), 28);
  EXPECT_EQ(rs->fields().Item("d").NumericScale(), 6);
  com::Variant dt = rs->fields().Item("dt").Value();
  ASSERT_EQ(dt.type(), com::VarType::Date);
  EXPECT_EQ(com::FormatDateTime(dt.ToDate()), "2024-02-29 13:14:15");
  EXPECT_NEAR(dt.ToDate().days * 86400 - std::floor(dt.ToDate().days * 86400), 0.25, 1e-3);

  // Expressions take their type from the first row's values.
  rs = db_->Execute("select 1, 5000000000, 1.5, 'x', null, i + 0.5 from Types");
  const ado::DataType inferred[] = {ado::adInteger, ado::adBigInt, ado::adDouble,
                                    ado::adVarWChar, ado::adVariant, ado::adDouble};
  for (int i = 0; i < 6; ++i) EXPECT_EQ(rs->fields().Item(i).Type(), inferred[i]) << i;
}

}  // namespace
