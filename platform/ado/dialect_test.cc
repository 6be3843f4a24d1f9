// The T-SQL rewrite on both dialects: one row per construct with what each database
// gets, so that a construct one dialect lacks or spells wrong fails its row.

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>

#include "platform/ado/ado_test_support.h"
#include "platform/ado/postgres/dialect.h"
#include "platform/ado/sqlite/dialect.h"
#include "platform/ado/tsql/sql_tokenizer.h"

namespace {

// Whether `f` raises the data layer's provider error; any other error fails the test.
template <class F>
bool Refuses(F&& f) {
  try {
    f();
  } catch (const com::Error& e) {
    EXPECT_EQ(e.number(), ado::kErrProvider) << e.description();
    return true;
  }
  return false;
}

// The SQLite dialect sees table T as declared with a INT and b VARCHAR(10).
std::string Sqlite(std::string_view sql) {
  return ado::sqlite::Translate(sql, [](std::string_view table) {
    std::vector<ado::sqlite::DeclaredColumn> cols;
    if (table == "T") cols = {{"a", "INT"}, {"b", "VARCHAR(10)"}};
    return cols;
  });
}

// PostgreSQL's statements as one script.
std::string Postgres(std::string_view sql) { return ado::postgres::Translate(sql).Script(); }

struct Row {
  const char* in;
  const char* sqlite;
  const char* postgres;
};

// The money text of a row version, PostgreSQL's expression for operand `x`.
#define PG_MONEY(x) "rpad(((" x ")::numeric / 10000)::numeric(30,4)::text, 30)"
#define PG_NOW "clock_timestamp()::timestamp(3)"

const Row kRows[] = {
    // the row-version token as money text, any case and spacing, nested operands
    {"select convert(char,convert(money,Krts),2) from T", "select mom_money_text(Krts) from T",
     "select " PG_MONEY("Krts") " from T"},
    {"SELECT CONVERT( CHAR ,Convert(MONEY, b.Krts ) , 2) FROM T b", "SELECT mom_money_text(b.Krts) FROM T b",
     "SELECT " PG_MONEY("b.Krts") " FROM T b"},
    {"select x from T where convert(char,convert(money,(a+(b))),2) = ?",
     "select x from T where mom_money_text((a+(b))) = ?", "select x from T where " PG_MONEY("(a+(b))") " = $1"},
    {"select convert(char,convert(money,Krts),1) from T", "select convert(char,convert(money,Krts),1) from T",
     "select convert(char,convert(money,Krts),1) from T"},
    // the current time
    {"select getdate()", "select mom_getdate()", "select " PG_NOW},
    {"update T set d = GetDate ( ) where k = ?", "update T set d = mom_getdate() where k = ?",
     "update T set d = " PG_NOW " where k = $1"},
    // session tables
    {"select * from #Tmp where #tmp.a = 1", "select * from \"#Tmp\" where \"#tmp\".a = 1",
     "select * from \"#tmp\" where \"#tmp\".a = 1"},
    {"create table #w (a int)", "create TEMP table \"#w\" (a int)", "create TEMP table \"#w\" (a int)"},
    {"create table [#w] (a int)", "create TEMP table [#w] (a int)", "create TEMP table \"#w\" (a int)"},
    {"drop table #w", "drop table \"#w\"", "drop table \"#w\""},
    // quoted names
    {"select [MoDId], [Order] from [mom_order]", "select [MoDId], [Order] from [mom_order]",
     "select \"modid\", \"order\" from \"mom_order\""},
    // Alias = expr in every select list; the statement's own aliases keep their spelling on PostgreSQL
    {"select a.FVFlag, a.Qty, InQty=b.Qty from mom_moallocate a, mom_orderdetail b where a.Id = b.Id",
     "select a.FVFlag, a.Qty, b.Qty AS InQty from mom_moallocate a, mom_orderdetail b where a.Id = b.Id",
     "select a.FVFlag, a.Qty, b.Qty AS \"InQty\" from mom_moallocate a, mom_orderdetail b where a.Id = b.Id"},
    {"select Flag = case when a = 1 then 'x' else 'y' end from T",
     "select case when a = 1 then 'x' else 'y' end AS Flag from T",
     "select case when a = 1 then 'x' else 'y' end AS \"Flag\" from T"},
    {"select x from T where y in (select Z = max(y) from U)", "select x from T where y in (select max(y) AS Z from U)",
     "select x from T where y in (select max(y) AS Z from U)"},
    {"select (a = b) as f, coalesce(c, 0) from T where a = 1", "select (a = b) as f, coalesce(c, 0) from T where a = 1",
     "select (a = b) as f, coalesce(c, 0) from T where a = 1"},
    {"select 1 as 'Quoted'", "select 1 as 'Quoted'", "select 1 as \"Quoted\""},
    {"update T set a = 1 where b = 2", "update T set a = 1 where b = 2", "update T set a = 1 where b = 2"},
    // casts: to int as the original server converts, others the database's own
    {"select cast(cValue as int) as Scale from T", "select mom_cast_int(cValue) as Scale from T",
     "select mom_cast_int(cValue) as Scale from T"},
    {"select x from T where CAST ( (a + cast(b as int)) AS INT ) > 1",
     "select x from T where mom_cast_int((a + mom_cast_int(b))) > 1",
     "select x from T where mom_cast_int((a + mom_cast_int(b))) > 1"},
    {"select cast(cast(x as int) + 1 as numeric) from T", "select cast(mom_cast_int(x) + 1 as numeric) from T",
     "select cast(mom_cast_int(x) + 1 as numeric) from T"},
    {"select cast(x as integer), cast(y as decimal(10,2)), coalesce(a, ?) from T where b = ?",
     "select cast(x as integer), cast(y as decimal(10,2)), coalesce(a, ?) from T where b = ?",
     "select cast(x as integer), cast(y as decimal(10,2)), coalesce(a, $1) from T where b = $2"},
    // T-SQL type names; after "." a word is a column
    {"create table #w (a nvarchar(2), b datetime, c tinyint, d nchar(3))",
     "create TEMP table \"#w\" (a nvarchar(2), b datetime, c tinyint, d nchar(3))",
     "create TEMP table \"#w\" (a varchar(2), b timestamp(3), c smallint, d char(3))"},
    {"select cast(x as NVARCHAR(20)), t.datetime from T t", "select cast(x as NVARCHAR(20)), t.datetime from T t",
     "select cast(x as varchar(20)), t.datetime from T t"},
    // parameters, numbered as SQLite does
    {"select ?, ?3, ?, $2 from T", "select ?, ?3, ?, $2 from T", "select $1, $2, $3, $4 from T"},
    // OffSet the column, reserved in PostgreSQL, against T-SQL's paging clause
    {"select a.OffSet, OffSet from T a order by OffSet", "select a.OffSet, OffSet from T a order by OffSet",
     "select a.\"offset\", \"offset\" from T a order by \"offset\""},
    {"select x from T order by x offset 10 rows", "select x from T order by x offset 10 rows",
     "select x from T order by x offset 10 rows"},
    {"select x from T order by x offset ? rows", "select x from T order by x offset ? rows",
     "select x from T order by x offset $1 rows"},
    // N'text', table hints
    {"select N'abc', n'd' from T with (nolock) where a = ?", "select 'abc', 'd' from T  where a = ?",
     "select 'abc', 'd' from T  where a = $1"},
    // look-alikes in literals, comments and PostgreSQL's own strings stay
    {"select 'it''s #t getdate() ? convert(char,convert(money,k),2)', \"#q\" from T -- ? #t",
     "select 'it''s #t getdate() ? convert(char,convert(money,k),2)', \"#q\" from T -- ? #t",
     "select 'it''s #t getdate() ? convert(char,convert(money,k),2)', \"#q\" from T -- ? #t"},
    {"select x -- getdate() #t\n from T /* a = b, #t */", "select x -- getdate() #t\n from T /* a = b, #t */",
     "select x -- getdate() #t\n from T /* a = b, #t */"},
    {"select E'a\\'b ? #t', x::int, $$ ? getdate() $$, $f$ it's ; #t $f$ from T",
     "select E'a\\'b ? #t', x::int, $$ ? getdate() $$, $f$ it's ; #t $f$ from T",
     "select E'a\\'b ? #t', x::int, $$ ? getdate() $$, $f$ it's ; #t $f$ from T"},
    // scripts: SQLite keeps the text around the statements, PostgreSQL gets them one by one
    {"create table a (x integer primary key); insert into a values (1);\n",
     "create table a (x integer primary key); insert into a values (1);\n",
     "create table a (x integer primary key)\n;\ninsert into a values (1)"},
    // SELECT INTO: a new table with the items' types, IDENTITY numbering the rows
    {"select IDENTITY(int,1,1) as SortSeq, a, x.b into #t from T x where 1 = 2",
     "CREATE TEMP TABLE \"#t\" (\"SortSeq\" INTEGER PRIMARY KEY AUTOINCREMENT, \"a\" INT, \"b\" VARCHAR(10));\n"
     "INSERT INTO \"#t\" (\"a\", \"b\") SELECT a, x.b from T x where 1 = 2",
     "CREATE TEMP TABLE \"#t\" AS SELECT 0::int AS SortSeq, a, x.b from T x where 1 = 2\nWITH NO DATA\n;\n"
     "ALTER TABLE \"#t\" ALTER COLUMN SortSeq SET NOT NULL, ALTER COLUMN SortSeq ADD GENERATED BY DEFAULT AS "
     "IDENTITY\n;\nINSERT INTO \"#t\" (a, b) SELECT a, x.b from T x where 1 = 2"},
    // the generation's session table, with OffSet among its columns
    {"select IDENTITY(int,1,1) as SortSeq,WhCode,OffSet,OpComponentId into #tmp_moallocate "
     "from mom_moallocate where 1 = 2",
     "CREATE TEMP TABLE \"#tmp_moallocate\" (\"SortSeq\" INTEGER PRIMARY KEY AUTOINCREMENT, \"WhCode\", \"OffSet\", "
     "\"OpComponentId\");\nINSERT INTO \"#tmp_moallocate\" (\"WhCode\", \"OffSet\", \"OpComponentId\") SELECT WhCode, "
     "OffSet, OpComponentId from mom_moallocate where 1 = 2",
     "CREATE TEMP TABLE \"#tmp_moallocate\" AS SELECT 0::int AS SortSeq, WhCode, \"offset\", OpComponentId "
     "from mom_moallocate where 1 = 2\nWITH NO DATA\n;\nALTER TABLE \"#tmp_moallocate\" ALTER COLUMN SortSeq SET "
     "NOT NULL, ALTER COLUMN SortSeq ADD GENERATED BY DEFAULT AS IDENTITY\n;\nINSERT INTO \"#tmp_moallocate\" "
     "(WhCode, \"offset\", OpComponentId) SELECT WhCode, \"offset\", OpComponentId from mom_moallocate where 1 = 2"},
    // without IDENTITY a plain copy; aliases name the new columns
    {"select a, Total = b + ? into Target from T where c = ?",
     "CREATE TABLE Target (\"a\" INT, \"Total\");\nINSERT INTO Target (\"a\", \"Total\") SELECT a, b + ? from T "
     "where c = ?",
     "CREATE TABLE Target AS SELECT a, b + $1 AS Total from T where c = $2"},
    {"select distinct Day = getdate(), cast(a as int) as n into dbo.Copy from T",
     "CREATE TABLE dbo.Copy (\"Day\" DATETIME, \"n\" int);\nINSERT INTO dbo.Copy (\"Day\", \"n\") SELECT distinct "
     "mom_getdate(), mom_cast_int(a) from T",
     "CREATE TABLE dbo.Copy AS SELECT distinct " PG_NOW " AS Day, mom_cast_int(a) AS n from T"},
};

TEST(DialectTest, EachConstructOnEachDatabase) {
  for (const Row& r : kRows) {
    EXPECT_EQ(Sqlite(r.in), r.sqlite) << r.in;
    EXPECT_EQ(Postgres(r.in), r.postgres) << r.in;
  }
}

TEST(DialectTest, RefusesWhatItCannotRewrite) {
  const struct {
    const char* in;
    bool sqlite_refuses, postgres_refuses;
  } cases[] = {
      {"select IDENTITY(int,5,1) as n, a into #t from T", true, true},
      {"select IDENTITY(int,1,1), a into #t from T", true, true},
      {"select IDENTITY(int,1,1) as n, IDENTITY(int,1,1) as m, a into #t from T", true, true},
      {"select a + 1 into #t from T", true, true},
      {"select IDENTITY(int,1,1) as n, a + 1 into #t from T", true, true},
      {"select a into", true, true},
      {"select a from T where b = ?0", true, true},
      // numbering rows without copying a column: SQLite only
      {"select IDENTITY(int,1,1) as n into #t from T", false, true},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(Refuses([&] { Sqlite(c.in); }), c.sqlite_refuses) << c.in;
    EXPECT_EQ(Refuses([&] { Postgres(c.in); }), c.postgres_refuses) << c.in;
  }
}

TEST(PgDialectTest, ParametersAreNumberedPerStatement) {
  ado::postgres::Translation t =
      ado::postgres::Translate("insert into a values (?, ?); update b set x = ? where y = ?1");
  ASSERT_EQ(t.statements.size(), 2u);
  EXPECT_EQ(t.statements[0].sql, "insert into a values ($1, $2)");
  EXPECT_EQ(t.statements[0].params, (std::vector<size_t>{0, 1}));
  EXPECT_EQ(t.statements[1].sql, "update b set x = $1 where y = $2");
  EXPECT_EQ(t.statements[1].params, (std::vector<size_t>{2, 0}));
  EXPECT_EQ(t.parameter_count, 3u);

  // SELECT INTO with IDENTITY: the creating and the filling statement each bind their own.
  t = ado::postgres::Translate("select IDENTITY(int,1,1) as n, a into #t from T where b = ? and c = ?");
  ASSERT_EQ(t.statements.size(), 3u);
  EXPECT_EQ(t.statements[0].params, (std::vector<size_t>{0, 1}));
  EXPECT_TRUE(t.statements[0].creates);
  EXPECT_EQ(t.statements[1].params, (std::vector<size_t>{}));
  EXPECT_FALSE(t.statements[1].creates);
  EXPECT_EQ(t.statements[2].params, (std::vector<size_t>{0, 1}));
}

TEST(PgDialectTest, ScriptsSplitAtTopLevelSemicolonsOnly) {
  const char* script =
      "create function f(a int) returns int language plpgsql as $$\n"
      "begin\n  return a; -- ; #x getdate()\nend $$;\n"
      "  -- only a comment\n;;\n"
      "create table t (a int);";
  ado::postgres::Translation t = ado::postgres::Translate(script);
  ASSERT_EQ(t.statements.size(), 2u);
  EXPECT_EQ(t.statements[0].sql,
            "create function f(a int) returns int language plpgsql as $$\nbegin\n  return a; -- ; #x getdate()\n"
            "end $$");
  EXPECT_TRUE(t.statements[0].creates);
  EXPECT_EQ(t.statements[1].sql, "create table t (a int)");
  // SQLite runs the text as one script, blank statements and all.
  EXPECT_EQ(Sqlite(script), script);
}

TEST(PgDialectTest, SpellingsComeFromTheText) {
  ado::postgres::Translation t =
      ado::postgres::Translate("select modid, MoDId, [InQty], \"Krts\" from T where 'NotMe' = x");
  EXPECT_EQ(t.spellings.at("modid"), "MoDId");
  EXPECT_EQ(t.spellings.at("inqty"), "InQty");
  EXPECT_EQ(t.spellings.at("krts"), "Krts");
  EXPECT_EQ(t.spellings.count("notme"), 0u);

  // The statement's own aliases name its columns, as they are written.
  t = ado::postgres::Translate(
      "select d.iQuantity - d.fMoQuantity as iquantity, d.cInvCode as cinvCode, d.iRowNo as iRowNO, "
      "(select max(x.cInvCode) as CINVCODE from U x) as m, d.MoDId from T d");
  EXPECT_EQ(t.aliases.at("iquantity"), "iquantity");
  EXPECT_EQ(t.aliases.at("cinvcode"), "cinvCode");
  EXPECT_EQ(t.aliases.at("irowno"), "iRowNO");
  EXPECT_EQ(t.aliases.count("modid"), 0u);
  EXPECT_EQ(t.spellings.at("iquantity"), "iQuantity");  // a column written in the text
  EXPECT_EQ(t.spellings.at("modid"), "MoDId");
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

TEST(TsqlTokenizerTest, KnowsPostgresLiterals) {
  using ado::tsql::TokenKind;
  auto tokens = ado::tsql::Tokenize("$tag$ a $$ b $tag$ E'x\\'y' $12 a::b");
  ASSERT_GE(tokens.size(), 9u);
  EXPECT_EQ(tokens[0].kind, TokenKind::kString);
  EXPECT_EQ(tokens[0].text, "$tag$ a $$ b $tag$");
  EXPECT_EQ(tokens[2].kind, TokenKind::kString);
  EXPECT_EQ(tokens[2].text, "E'x\\'y'");
  EXPECT_EQ(tokens[4].kind, TokenKind::kParameter);
  EXPECT_EQ(tokens[4].text, "$12");
  EXPECT_EQ(tokens[7].text, "::");
}

}  // namespace
