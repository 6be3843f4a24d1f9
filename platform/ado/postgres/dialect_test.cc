#include "platform/ado/postgres/dialect.h"

#include <gtest/gtest.h>

#include "platform/ado/ado_test_support.h"
#include "platform/ado/tsql/sql_tokenizer.h"

namespace {

using ado::postgres::Translate;
using ado_test::RaisedNumber;

// The single statement of a translation.
std::string One(std::string_view sql) {
  ado::postgres::Translation t = Translate(sql);
  EXPECT_EQ(t.statements.size(), 1u) << sql;
  return t.statements.empty() ? std::string() : t.statements[0].sql;
}

struct Rewrite {
  const char* in;
  const char* out;
};

TEST(PgDialectTest, RewritesTheSupportedConstructsAndNothingElse) {
  const Rewrite cases[] = {
      {"select convert(char,convert(money,Krts),2) from T",
       "select rpad(((Krts)::numeric / 10000)::numeric(30,4)::text, 30) from T"},
      {"SELECT CONVERT( CHAR ,Convert(MONEY, b.Krts ) , 2) FROM T b",
       "SELECT rpad(((b.Krts)::numeric / 10000)::numeric(30,4)::text, 30) FROM T b"},
      {"select x from T where convert(char,convert(money,Krts),2) = ?",
       "select x from T where rpad(((Krts)::numeric / 10000)::numeric(30,4)::text, 30) = $1"},
      {"select convert(char,convert(money,Krts),1) from T", "select convert(char,convert(money,Krts),1) from T"},
      {"update T set d = GetDate ( ) where k = ?", "update T set d = clock_timestamp()::timestamp(3) where k = $1"},
      {"select * from #Tmp where #tmp.a = 1", "select * from \"#tmp\" where \"#tmp\".a = 1"},
      {"create table #w (a int)", "create TEMP table \"#w\" (a int)"},
      {"drop table #w", "drop table \"#w\""},
      {"select [MoDId], [Order] from [mom_order]", "select \"modid\", \"order\" from \"mom_order\""},
      {"select a.FVFlag, InQty=b.Qty from mom_moallocate a, mom_orderdetail b where a.Id = b.Id",
       "select a.FVFlag, b.Qty AS \"InQty\" from mom_moallocate a, mom_orderdetail b where a.Id = b.Id"},
      {"select x from T where y in (select Z = max(y) from U)", "select x from T where y in (select max(y) AS Z from U)"},
      {"select 1 as 'Quoted'", "select 1 as \"Quoted\""},
      {"update T set a = 1 where b = 2", "update T set a = 1 where b = 2"},
      {"select N'abc', n'd' from T with (nolock) where a = ?", "select 'abc', 'd' from T  where a = $1"},
      // casts to int convert as the original server does; others are the server's own
      {"select cast(x as int) from T", "select mom_cast_int(x) from T"},
      {"select CAST( a.cValue AS INT ) as Scale from T a", "select mom_cast_int(a.cValue) as Scale from T a"},
      {"select cast(cast(x as int) + 1 as numeric) from T", "select cast(mom_cast_int(x) + 1 as numeric) from T"},
      // T-SQL type names, and the reserved word that is an allocation column
      {"create table #w (a nvarchar(2), b datetime, c tinyint, d nchar(3))",
       "create TEMP table \"#w\" (a varchar(2), b timestamp(3), c smallint, d char(3))"},
      {"select cast(x as NVARCHAR(20)), t.datetime from T t", "select cast(x as varchar(20)), t.datetime from T t"},
      {"select a from T order by a offset ? limit 2", "select a from T order by a offset $1 limit 2"},
      // OffSet the column, reserved in PostgreSQL, against T-SQL's paging clause
      {"select a.OffSet, OffSet from T a order by OffSet", "select a.\"offset\", \"offset\" from T a order by \"offset\""},
      {"select x from T order by x offset 10 rows", "select x from T order by x offset 10 rows"},
      {"select x from T order by x offset ? rows", "select x from T order by x offset $1 rows"},
      {"select ?, ?3, ?, $2 from T", "select $1, $2, $3, $4 from T"},
      // look-alikes in literals, comments and PostgreSQL's own strings stay
      {"select 'it''s #t getdate() ?', \"#q\" from T -- ? #t", "select 'it''s #t getdate() ?', \"#q\" from T -- ? #t"},
      {"select E'a\\'b ? #t', x::int, $$ ? getdate() $$, $f$ it's ; #t $f$ from T",
       "select E'a\\'b ? #t', x::int, $$ ? getdate() $$, $f$ it's ; #t $f$ from T"},
  };
  for (const Rewrite& c : cases) EXPECT_EQ(One(c.in), c.out) << c.in;
}

TEST(PgDialectTest, ParametersAreNumberedPerStatement) {
  ado::postgres::Translation t = Translate("insert into a values (?, ?); update b set x = ? where y = ?1");
  ASSERT_EQ(t.statements.size(), 2u);
  EXPECT_EQ(t.statements[0].sql, "insert into a values ($1, $2)");
  EXPECT_EQ(t.statements[0].params, (std::vector<size_t>{0, 1}));
  EXPECT_EQ(t.statements[1].sql, "update b set x = $1 where y = $2");
  EXPECT_EQ(t.statements[1].params, (std::vector<size_t>{2, 0}));
  EXPECT_EQ(t.parameter_count, 3u);
}

TEST(PgDialectTest, ScriptsSplitAtTopLevelSemicolonsOnly) {
  const char* script =
      "create function f(a int) returns int language plpgsql as $$\n"
      "begin\n  return a; -- ; #x getdate()\nend $$;\n"
      "  -- only a comment\n;;\n"
      "create table t (a int);";
  ado::postgres::Translation t = Translate(script);
  ASSERT_EQ(t.statements.size(), 2u);
  EXPECT_EQ(t.statements[0].sql,
            "create function f(a int) returns int language plpgsql as $$\nbegin\n  return a; -- ; #x getdate()\nend $$");
  EXPECT_TRUE(t.statements[0].creates);
  EXPECT_EQ(t.statements[1].sql, "create table t (a int)");
}

TEST(PgDialectTest, SelectIntoWithIdentityBuildsAnIdentityTable) {
  ado::postgres::Translation t = Translate(
      "select IDENTITY(int,1,1) as SortSeq,OpSeq,ComponentId,Qty,StartDemDate into #tmp_moallocate "
      "from mom_moallocate where 1 = 2");
  ASSERT_EQ(t.statements.size(), 3u);
  EXPECT_EQ(t.statements[0].sql,
            "CREATE TEMP TABLE \"#tmp_moallocate\" AS SELECT 0::int AS SortSeq, OpSeq, ComponentId, Qty, "
            "StartDemDate from mom_moallocate where 1 = 2\nWITH NO DATA");
  EXPECT_EQ(t.statements[1].sql,
            "ALTER TABLE \"#tmp_moallocate\" ALTER COLUMN SortSeq SET NOT NULL, ALTER COLUMN SortSeq ADD "
            "GENERATED BY DEFAULT AS IDENTITY");
  EXPECT_EQ(t.statements[2].sql,
            "INSERT INTO \"#tmp_moallocate\" (OpSeq, ComponentId, Qty, StartDemDate) SELECT OpSeq, ComponentId, "
            "Qty, StartDemDate from mom_moallocate where 1 = 2");
  EXPECT_EQ(t.spellings.at("sortseq"), "SortSeq");

  // The generation's session table, with OffSet among its columns.
  ado::postgres::Translation offset = Translate(
      "select IDENTITY(int,1,1) as SortSeq,WhCode,OffSet,OpComponentId into #tmp_moallocate "
      "from mom_moallocate where 1 = 2");
  ASSERT_EQ(offset.statements.size(), 3u);
  EXPECT_EQ(offset.statements[0].sql,
            "CREATE TEMP TABLE \"#tmp_moallocate\" AS SELECT 0::int AS SortSeq, WhCode, \"offset\", OpComponentId "
            "from mom_moallocate where 1 = 2\nWITH NO DATA");
  EXPECT_EQ(offset.statements[2].sql,
            "INSERT INTO \"#tmp_moallocate\" (WhCode, \"offset\", OpComponentId) SELECT WhCode, \"offset\", "
            "OpComponentId from mom_moallocate where 1 = 2");

  // Without IDENTITY a plain copy; aliases name the new columns.
  EXPECT_EQ(One("select a, Total = b + ? into Target from T where c = ?"),
            "CREATE TABLE Target AS SELECT a, b + $1 AS Total from T where c = $2");

  EXPECT_EQ(RaisedNumber([] { Translate("select IDENTITY(int,5,1) as n, a into #t from T"); }), ado::kErrProvider);
  EXPECT_EQ(RaisedNumber([] { Translate("select IDENTITY(int,1,1) as n, a + 1 into #t from T"); }),
            ado::kErrProvider);
}

TEST(PgDialectTest, SpellingsComeFromTheText) {
  ado::postgres::Translation t = Translate("select modid, MoDId, [InQty], \"Krts\" from T where 'NotMe' = x");
  EXPECT_EQ(t.spellings.at("modid"), "MoDId");
  EXPECT_EQ(t.spellings.at("inqty"), "InQty");
  EXPECT_EQ(t.spellings.at("krts"), "Krts");
  EXPECT_EQ(t.spellings.count("notme"), 0u);

  // The statement's own aliases name its columns, as they are written.
  t = Translate(
      "select d.iQuantity - d.fMoQuantity as iquantity, d.cInvCode as cinvCode, d.iRowNo as iRowNO, "
      "(select max(x.cInvCode) as CINVCODE from U x) as m, d.MoDId from T d");
  EXPECT_EQ(t.aliases.at("iquantity"), "iquantity");
  EXPECT_EQ(t.aliases.at("cinvcode"), "cinvCode");
  EXPECT_EQ(t.aliases.at("irowno"), "iRowNO");
  EXPECT_EQ(t.aliases.count("modid"), 0u);
  EXPECT_EQ(t.spellings.at("iquantity"), "iQuantity");  // a column written in the text
  EXPECT_EQ(t.spellings.at("modid"), "MoDId");
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
