// The dialects' rewrites at work on the run's provider: what the translated text
// computes, the tables SELECT INTO makes and the types their columns get.

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <optional>
#include <string>

#include "platform/ado/ado_test_support.h"
#include "platform/ado/command.h"
#include "platform/ado/field.h"
#include "testing/test_database.h"

namespace {

using ado_test::Scalar;
using testing_support::TestDatabase;

class DialectDatabaseTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (std::string why = TestDatabase::Unavailable(); !why.empty()) GTEST_SKIP() << why;
    database_.emplace(dir_, /*with_sample=*/false);
    db_ = Open();
    db_->Execute(
        "create table T (k int primary key, Krts integer, a int, b varchar(10), d datetime);"
        "insert into T (k, Krts, a, b) values (1, 2001, 1, 'x'), (2, 123456789, 2, 'y'), (3, null, 3, 'z');");
  }
  com::Ptr<ado::Connection> Open() {
    auto c = ado::Connection::Create();
    c->Open(database_->connection_string());
    return c;
  }
  testing_support::TempDir dir_;
  std::optional<TestDatabase> database_;
  com::Ptr<ado::Connection> db_;
};

TEST_F(DialectDatabaseTest, MoneyTextOfRowVersion) {
  auto rs = db_->Execute("select CONVERT(CHAR,Convert(MONEY,Krts),2) as M from T order by k");
  EXPECT_EQ(rs->fields().Item(0).Value().ToString(), "0.2001" + std::string(24, ' '));
  rs->MoveNext();
  EXPECT_EQ(rs->fields().Item(0).Value().ToString(), "12345.6789" + std::string(20, ' '));
  rs->MoveNext();
  EXPECT_TRUE(rs->fields().Item(0).Value().is_null());
}

TEST_F(DialectDatabaseTest, SelectIntoMakesASessionTableWithIdentity) {
  db_->Execute("select IDENTITY(int,1,1) as SortSeq, a, b into #t from T where 1 = 2");
  EXPECT_EQ(Scalar(*db_, "select count(*) from #t").ToI4(), 0);
  db_->Execute("insert into #t (a, b) select a, b from T where a < 3 order by a");
  auto rs = db_->Execute("select SortSeq, a, b from #t order by SortSeq");
  EXPECT_EQ(rs->RecordCount(), 2);
  EXPECT_EQ(rs->fields().Item("sortseq").Value(), com::Variant(int32_t{1}));
  EXPECT_EQ(rs->fields().Item("a").Type(), ado::adInteger);
  // the source column's type, as this provider reports a varchar(10)
  EXPECT_EQ(rs->fields().Item("b").Type(), db_->Execute("select b from T")->fields().Item(0).Type());
  EXPECT_EQ(rs->fields().Item("b").DefinedSize(), 10);
  rs->MoveNext();
  EXPECT_EQ(rs->fields().Item("SortSeq").Value(), com::Variant(int32_t{2}));

  auto other = Open();  // the table is the session's own
  auto e = ado_test::Raised([&] { other->Execute("select * from #t"); });
  ASSERT_TRUE(e);
  if (!TestDatabase::IsPostgres()) {
    EXPECT_EQ(e->description(), "no such table: #t");
  }
}

TEST_F(DialectDatabaseTest, SessionTablesInBracketsAreTheSessionsOwnToo) {
  db_->Execute("create table [#w] (a int); insert into [#w] (a) values (7)");
  EXPECT_EQ(Scalar(*db_, "select a from #w").ToI4(), 7);
  auto other = Open();
  EXPECT_TRUE(ado_test::Raised([&] { other->Execute("select a from [#w]"); }));
}

TEST_F(DialectDatabaseTest, SelectIntoWithoutIdentityCopiesRows) {
  auto cmd = ado::Command::Create();
  cmd->SetActiveConnection(db_);
  cmd->command_text = "select b, Num = a into #copy from T where a >= ? order by a";
  cmd->parameters().Append(cmd->CreateParameter("min", ado::adInteger, ado::adParamInput, 0, int32_t{2}));
  cmd->Execute(nullptr, ado::adExecuteNoRecords);
  auto rs = db_->Execute("select Num, b from #copy order by Num");
  ASSERT_EQ(rs->RecordCount(), 2);
  EXPECT_EQ(rs->fields().Item("Num").Type(), ado::adInteger);
  EXPECT_EQ(rs->fields().Item("b").DefinedSize(), 10);
  EXPECT_EQ(rs->fields().Item("Num").Value(), com::Variant(int32_t{2}));
}

TEST_F(DialectDatabaseTest, CastToIntIsStrict) {
  struct Case {
    const char* operand;
    int64_t value;  // when `error` is null
    const char* error;
  } cases[] = {
      {"'4'", 4, nullptr},
      {"' -12 '", -12, nullptr},
      {"''", 0, nullptr},
      {"4.7", 4, nullptr},
      {"-4.7", -4, nullptr},
      {"'-2147483648'", INT32_MIN, nullptr},
      {"'abc'", 0, "Conversion failed when converting the varchar value 'abc' to data type int."},
      {"'4.5'", 0, "Conversion failed when converting the varchar value '4.5' to data type int."},
      {"'2147483648'", 0, "Arithmetic overflow error converting expression to data type int."},
      {"3e10", 0, "Arithmetic overflow error converting expression to data type int."},
  };
  for (const Case& c : cases) {
    std::string sql = std::string("select cast(") + c.operand + " as int)";
    if (c.error) {
      auto e = ado_test::Raised([&] { db_->Execute(sql); });
      ASSERT_TRUE(e) << sql;
      EXPECT_EQ(e->description(), c.error) << sql;
    } else {
      EXPECT_EQ(Scalar(*db_, sql).ToI8(), c.value) << sql;
    }
  }
  EXPECT_TRUE(Scalar(*db_, "select cast(Krts as int) from T where a = 3").is_null());
}

TEST_F(DialectDatabaseTest, AliasFormAndCurrentTimeType) {
  auto rs = db_->Execute("select Letter=b, Now = getdate(), getdate() from T where a = 2");
  EXPECT_EQ(rs->fields().Item(0).Name(), "Letter");
  EXPECT_EQ(rs->fields().Item("Letter").Value().ToString(), "y");
  EXPECT_EQ(rs->fields().Item("Now").Type(), ado::adDate);
  EXPECT_EQ(rs->fields().Item(2).Type(), ado::adDate);
  com::Variant now = rs->fields().Item("Now").Value();
  ASSERT_EQ(now.type(), com::VarType::Date);
  EXPECT_LT(std::fabs(now.ToDate().days - com::Now().days), 5.0 / 86400);
}

}  // namespace
