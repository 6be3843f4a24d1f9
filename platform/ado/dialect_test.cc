#include "platform/ado/sqlite/dialect.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>

#include "platform/ado/ado_test_support.h"
#include "platform/ado/field.h"
#include "testing/test_support.h"

namespace {

using ado::sqlite::Translate;
using ado_test::Open;
using ado_test::RaisedNumber;
using ado_test::Scalar;

struct Rewrite {
  const char* in;
  const char* out;
};

TEST(DialectTest, RewritesTheSupportedConstructsAndNothingElse) {
  const Rewrite cases[] = {
      // money text of a row version, any case and spacing, nested operands
      {"select convert(char,convert(money,Krts),2) from T", "select mom_money_text(Krts) from T"},
      {"SELECT CONVERT( CHAR ,Convert(MONEY, b.Krts ) , 2) FROM T b", "SELECT mom_money_text(b.Krts) FROM T b"},
      {"select x from T where convert(char,convert(money,(a+(b))),2) = ?",
       "select x from T where mom_money_text((a+(b))) = ?"},
      {"select convert(char,convert(money,Krts),1) from T", "select convert(char,convert(money,Krts),1) from T"},
      // current time
      {"select getdate()", "select mom_getdate()"},
      {"update T set d = GetDate ( ) where k = ?", "update T set d = mom_getdate() where k = ?"},
      // session tables
      {"select * from #tmp where #tmp.a = 1", "select * from \"#tmp\" where \"#tmp\".a = 1"},
      {"create table #w (a int)", "create TEMP table \"#w\" (a int)"},
      {"drop table #w", "drop table \"#w\""},
      // T-SQL aliases, only top-level select items
      {"select a.FVFlag, a.Qty, InQty=b.Qty from mom_moallocate a, mom_orderdetail b where a.Id = b.Id",
       "select a.FVFlag, a.Qty, b.Qty AS InQty from mom_moallocate a, mom_orderdetail b where a.Id = b.Id"},
      {"select Flag = case when a = 1 then 'x' else 'y' end from T",
       "select case when a = 1 then 'x' else 'y' end AS Flag from T"},
      {"select (a = b) as f, coalesce(c, 0) from T where a = 1", "select (a = b) as f, coalesce(c, 0) from T where a = 1"},
      {"select x from T where y in (select Z = max(y) from U)", "select x from T where y in (select max(y) AS Z from U)"},
      {"update T set a = 1 where b = 2", "update T set a = 1 where b = 2"},
      // look-alikes in literals and comments stay
      {"select 'it''s #t getdate() convert(char,convert(money,k),2)', \"#q\" from T",
       "select 'it''s #t getdate() convert(char,convert(money,k),2)', \"#q\" from T"},
      {"select x -- getdate() #t\n from T /* a = b, #t */", "select x -- getdate() #t\n from T /* a = b, #t */"},
      // unchanged SQLite and portable SQL
      {"select cast(x as integer), cast(y as decimal(10,2)), coalesce(a, ?) from T where b = ?",
       "select cast(x as integer), cast(y as decimal(10,2)), coalesce(a, ?) from T where b = ?"},
      // casts to int convert strictly
      {"select cast(cValue as int) as Scale from T", "select mom_cast_int(cValue) as Scale from T"},
      {"select x from T where CAST ( (a + cast(b as int)) AS INT ) > 1",
       "select x from T where mom_cast_int((a + mom_cast_int(b))) > 1"},
      {"create table a (x integer primary key); insert into a values (1);\n",
       "create table a (x integer primary key); insert into a values (1);\n"},
      {"select N'abc', n'd' from T", "select 'abc', 'd' from T"},
      {"select * from T with (nolock) where a = 1", "select * from T  where a = 1"},
  };
  for (const Rewrite& c : cases) EXPECT_EQ(Translate(c.in, {}), c.out) << c.in;
}

TEST(DialectTest, SelectIntoCopiesDeclaredTypes) {
  auto schema = [](std::string_view table) {
    std::vector<ado::sqlite::DeclaredColumn> cols;
    if (table == "T") cols = {{"a", "INT"}, {"b", "VARCHAR(10)"}};
    return cols;
  };
  EXPECT_EQ(Translate("select IDENTITY(int,1,1) as SortSeq, a, x.b into #t from T x where 1 = 2", schema),
            "CREATE TEMP TABLE \"#t\" (\"SortSeq\" INTEGER PRIMARY KEY AUTOINCREMENT, \"a\" INT, \"b\" "
            "VARCHAR(10));\nINSERT INTO \"#t\" (\"a\", \"b\") SELECT a, x.b from T x where 1 = 2");
  EXPECT_EQ(RaisedNumber([&] { Translate("select IDENTITY(int,5,1) as n, a into #t from T", schema); }),
            ado::kErrProvider);
  EXPECT_EQ(RaisedNumber([&] { Translate("select a + 1 into #t from T", schema); }), ado::kErrProvider);
}

TEST(DialectTest, MoneyTextIsFourDecimalsPaddedToThirty) {
  const struct {
    int64_t value;
    const char* text;
  } cases[] = {
      {0, "0.0000"},
      {2001, "0.2001"},
      {10000, "1.0000"},
      {123456789, "12345.6789"},
      {-2001, "-0.2001"},
      {-123456789, "-12345.6789"},
      {std::numeric_limits<int64_t>::max(), "922337203685477.5807"},
      {std::numeric_limits<int64_t>::min(), "-922337203685477.5808"},
  };
  for (const auto& c : cases) {
    std::string text = ado::sqlite::MoneyText(c.value);
    EXPECT_EQ(text.size(), 30u) << c.value;
    EXPECT_EQ(text.substr(0, text.find(' ')), c.text);
    EXPECT_EQ(text.find_first_not_of(' ', std::string(c.text).size()), std::string::npos) << c.value;
  }
}

TEST(DialectTest, CurrentTimeColumnsArePlacedByIndex) {
  const struct {
    const char* sql;
    std::vector<int> columns;
  } cases[] = {
      {"select mom_getdate()", {0}},
      {"SELECT a, MOM_GETDATE() AS d, b FROM T", {1}},
      {"select distinct k, mom_getdate() now from T", {1}},
      {"select a, *, mom_getdate() from T", {}},
      {"select mom_getdate() + 1, x from T", {}},
      {"insert into T values (mom_getdate())", {}},
  };
  for (const auto& c : cases) EXPECT_EQ(ado::sqlite::CurrentTimeColumns(c.sql), c.columns) << c.sql;
}

class DialectDatabaseTest : public ::testing::Test {
 protected:
  void SetUp() override {
    db_ = Open(dir_.File("d.db"), true);
    db_->Execute(
        "create table T (k integer primary key, Krts integer, a int, b varchar(10), d datetime);"
        "insert into T (Krts, a, b) values (2001, 1, 'x'), (123456789, 2, 'y'), (null, 3, 'z');");
  }
  testing_support::TempDir dir_;
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
  EXPECT_EQ(rs->fields().Item("b").Type(), ado::adVarChar);
  EXPECT_EQ(rs->fields().Item("b").DefinedSize(), 10);
  rs->MoveNext();
  EXPECT_EQ(rs->fields().Item("SortSeq").Value(), com::Variant(int32_t{2}));

  auto other = Open(dir_.File("d.db"));
  auto e = ado_test::Raised([&] { other->Execute("select * from #t"); });
  ASSERT_TRUE(e);
  EXPECT_EQ(e->description(), "no such table: #t");
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
