// The PostgreSQL provider against a real server (pg_test_support.h): connecting,
// timeouts, transactions, result types and spellings, parameters and session tables.

#include "platform/ado/postgres/pg_provider.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <limits>

#include "platform/ado/ado_test_support.h"
#include "platform/ado/command.h"
#include "platform/ado/field.h"
#include "platform/ado/numeric_rules.h"
#include "platform/ado/postgres/pg_test_support.h"
#include "testing/test_support.h"

namespace {

using ado_test::Raised;
using ado_test::RaisedNumber;
using ado_test::Scalar;
using Clock = std::chrono::steady_clock;
using pg_test::BaseConnectionString;
using pg_test::OpenConnection;
using pg_test::PgTest;

TEST(PgConnectTest, ConnectionStringKeysBecomeQuotedLibpqKeys) {
  std::string info = ado::postgres::ConnInfo(
      ado::ConnectionString("Provider=PostgreSQL;Server=db.example,6543;Initial Catalog=mom;UID=o'k;PWD=a b\\c"), 1);
  EXPECT_NE(info.find("host='db.example'"), std::string::npos) << info;
  EXPECT_NE(info.find("port='6543'"), std::string::npos) << info;
  EXPECT_NE(info.find("dbname='mom'"), std::string::npos) << info;
  EXPECT_NE(info.find("user='o\\'k'"), std::string::npos) << info;
  EXPECT_NE(info.find("password='a b\\\\c'"), std::string::npos) << info;
  EXPECT_NE(info.find("connect_timeout='2'"), std::string::npos) << info;
  info = ado::postgres::ConnInfo(ado::ConnectionString("Data Source=/run/pg;Port=5433;Database=x;User=u"), 0);
  EXPECT_NE(info.find("host='/run/pg'"), std::string::npos) << info;
  EXPECT_EQ(info.find("connect_timeout"), std::string::npos) << info;
}

TEST(PgConnectTest, NoServerFailsCleanlyWithinTheTimeout) {
  testing_support::TempDir dir;
  auto start = Clock::now();
  auto c = ado::Connection::Create();
  c->SetConnectionTimeout(2);
  auto e = Raised([&] { c->Open("Provider=PostgreSQL;Host=" + dir.path() + ";Port=5432;User ID=postgres"); });
  ASSERT_TRUE(e);
  EXPECT_EQ(e->number(), ado::kErrProvider);
  EXPECT_NE(e->description().find(dir.path()), std::string::npos) << e->description();
  EXPECT_LT(Clock::now() - start, std::chrono::seconds(3));
  EXPECT_EQ(c->State(), ado::adStateClosed);
}

TEST_F(PgTest, CommandTimeoutCancelsSlowStatementsAndLockWaits) {
  db_->SetCommandTimeout(1);
  auto start = Clock::now();
  EXPECT_EQ(RaisedNumber([&] { db_->Execute("select pg_sleep(3)"); }), ado::kErrQueryTimeout);
  EXPECT_LT(Clock::now() - start, std::chrono::milliseconds(2500));
  EXPECT_EQ(Scalar(*db_, "select 1").ToI4(), 1);  // still usable

  db_->Execute("create table t (k int primary key, v int)");
  db_->Execute("insert into t values (1, 0)");
  Other().BeginTrans();
  Other().Execute("update t set v = 1 where k = 1");
  db_->BeginTrans();
  db_->Execute("insert into t values (2, 0)");
  EXPECT_EQ(RaisedNumber([&] { db_->Execute("update t set v = 2 where k = 1"); }), ado::kErrQueryTimeout);
  // Only the timed-out statement is undone.
  db_->CommitTrans();
  Other().RollbackTrans();
  EXPECT_EQ(Count(*db_, "t"), 2);

  db_->SetCommandTimeout(0);  // no limit
  EXPECT_EQ(Scalar(*db_, "select current_setting('statement_timeout')").ToString(), "0");
}

TEST_F(PgTest, TransactionsCommitRollBackAndRollBackOnRelease) {
  db_->Execute("create table t (k int primary key)");
  db_->BeginTrans();
  EXPECT_EQ(RaisedNumber([&] { db_->BeginTrans(); }), ado::kErrOperationNotAllowed);
  db_->Execute("insert into t values (1)");
  EXPECT_EQ(Count(Other(), "t"), 0);  // not yet visible
  db_->CommitTrans();
  EXPECT_EQ(Count(Other(), "t"), 1);

  db_->BeginTrans();
  db_->Execute("insert into t values (2)");
  db_->RollbackTrans();
  EXPECT_EQ(Count(Other(), "t"), 1);
  EXPECT_EQ(RaisedNumber([&] { db_->CommitTrans(); }), ado::kErrOperationNotAllowed);

  {
    auto c = OpenConnection(cs_);
    c->BeginTrans();
    c->Execute("insert into t values (3)");
  }  // released with the transaction open
  EXPECT_EQ(Count(Other(), "t"), 1);
}

TEST_F(PgTest, AFailingStatementUndoesOnlyItselfInsideATransaction) {
  db_->Execute("create table t (k int primary key, v varchar(5))");
  db_->BeginTrans();
  db_->Execute("insert into t values (1, 'a')");
  auto e = Raised([&] { db_->Execute("insert into t values (1, 'dup')"); });
  ASSERT_TRUE(e);
  EXPECT_EQ(e->number(), ado::kErrProvider);
  EXPECT_NE(e->description().find("duplicate key"), std::string::npos) << e->description();
  // A failing parameterized statement and a failing script too.
  auto cmd = Text(*db_, "insert into t values (?, ?)");
  cmd->parameters().Append(cmd->CreateParameter("k", ado::adInteger, ado::adParamInput, 0, 2));
  cmd->parameters().Append(cmd->CreateParameter("v", ado::adVarWChar, ado::adParamInput, 10, "too long"));
  EXPECT_EQ(RaisedNumber([&] { cmd->Execute(); }), ado::kErrProvider);
  EXPECT_EQ(RaisedNumber([&] { db_->Execute("insert into t values (5, 'x'); insert into t values (1, 'y')"); }),
            ado::kErrProvider);
  db_->Execute("insert into t values (2, 'b')");
  // The caller's own savepoint survives the statements around it and undoes its part.
  db_->Execute("savepoint mine");
  db_->Execute("insert into t values (3, 'c')");
  db_->Execute("rollback to savepoint mine");
  db_->Execute("release savepoint mine");
  EXPECT_TRUE(db_->session().InTransaction());
  db_->CommitTrans();
  auto rs = db_->Execute("select k from t order by k");
  ASSERT_EQ(rs->RecordCount(), 2);
  EXPECT_EQ(rs->fields().Item(0).Value().ToI4(), 1);
  rs->MoveNext();
  EXPECT_EQ(rs->fields().Item(0).Value().ToI4(), 2);
}

TEST_F(PgTest, ResultTypesAndSpellings) {
  db_->Execute(
      "create table mom_sample (MoDId int primary key, SmallQ smallint, Krts bigint, InQty numeric(28,6), "
      "Rate real, Ratio double precision, FVFlag boolean, DueDate timestamp, Day date, cCode varchar(20), "
      "cFixed char(4), cMemo text, Blob bytea)");
  int64_t affected = 0;
  db_->Execute(
      "insert into mom_sample values (7, 3, 5000000000, 12.5, 1.5, 0.1, true, '2024-03-05 10:11:12.345', "
      "'2024-03-06', '甲乙', 'ab', 'memo', '\\x00ff'), (8, null, null, null, null, null, null, null, null, null, "
      "null, null, null)",
      &affected);
  EXPECT_EQ(affected, 2);
  auto rs = db_->Execute(
      "select MoDId, SmallQ, KRTS, InQty, Rate, Ratio, FVFlag, DueDate, Day, cCode, cFixed, cMemo, Blob, "
      "Total = InQty * 2, getdate() as Now, convert(char,convert(money,Krts),2) as Token "
      "from mom_sample order by modid");
  struct Expect {
    const char* name;
    ado::DataType type;
  };
  const Expect expected[] = {{"MoDId", ado::adInteger},  {"SmallQ", ado::adSmallInt}, {"KRTS", ado::adBigInt},
                             {"InQty", ado::adDecimal},  {"Rate", ado::adSingle},     {"Ratio", ado::adDouble},
                             {"FVFlag", ado::adBoolean}, {"DueDate", ado::adDate},    {"Day", ado::adDate},
                             {"cCode", ado::adVarWChar}, {"cFixed", ado::adWChar},    {"cMemo", ado::adVarWChar},
                             {"Blob", ado::adVarBinary}, {"Total", ado::adDecimal},   {"Now", ado::adDate},
                             {"Token", ado::adVarWChar}};
  ASSERT_EQ(rs->fields().Count(), 16);
  for (int i = 0; i < 16; ++i) {
    EXPECT_EQ(rs->fields().Item(i).Name(), expected[i].name);
    EXPECT_EQ(rs->fields().Item(i).Type(), expected[i].type) << expected[i].name;
  }
  EXPECT_EQ(rs->fields().Item("InQty").Precision(), 28);
  EXPECT_EQ(rs->fields().Item("InQty").NumericScale(), 6);
  EXPECT_EQ(rs->fields().Item("cCode").DefinedSize(), 20);
  EXPECT_EQ(rs->fields().Item("cFixed").DefinedSize(), 4);
  EXPECT_EQ((*rs)["MoDId"].Value(), com::Variant(int32_t{7}));
  EXPECT_EQ((*rs)["SmallQ"].Value(), com::Variant(int16_t{3}));
  EXPECT_EQ((*rs)["Krts"].Value(), com::Variant(int64_t{5000000000}));
  EXPECT_EQ((*rs)["InQty"].Value(), com::Variant(12.5));
  EXPECT_EQ((*rs)["Rate"].Value(), com::Variant(1.5));
  EXPECT_EQ((*rs)["Ratio"].Value(), com::Variant(0.1));
  EXPECT_EQ((*rs)["FVFlag"].Value(), com::Variant(true));
  EXPECT_EQ(com::FormatDateTime((*rs)["DueDate"].Value().ToDate()), "2024-03-05 10:11:12");
  EXPECT_EQ(com::FormatDate((*rs)["Day"].Value().ToDate()), "2024-03-06");
  EXPECT_EQ((*rs)["cCode"].Value(), com::Variant("甲乙"));
  EXPECT_EQ((*rs)["cFixed"].Value(), com::Variant("ab  "));
  EXPECT_EQ((*rs)["Blob"].Value().ToArray().items.size(), 2u);
  EXPECT_EQ((*rs)["Blob"].Value().ToArray().items[1].ToUI1(), 255);
  EXPECT_EQ((*rs)["Total"].Value(), com::Variant(25.0));
  EXPECT_EQ((*rs)["Token"].Value(), com::Variant(ado::MoneyText(5000000000)));
  EXPECT_LT(std::abs((*rs)["Now"].Value().ToDate().days - com::Now().days), 1.0 / 24 / 60);
  rs->MoveNext();
  for (int i = 1; i < 14; ++i) EXPECT_TRUE(rs->fields().Item(i).Value().is_null()) << i;

  // select *: the names are PostgreSQL's lower case until the dictionary spells them.
  auto star = db_->Execute("select * from mom_sample where 1 = 0");
  EXPECT_EQ(star->fields().Item(0).Name(), "modid");
  auto fresh = OpenConnection(cs_);
  fresh->Execute("create table sys_identifier (name varchar(128))");
  fresh->Execute("insert into sys_identifier values ('MoDId'), ('cFixed')");
  star = fresh->Execute("select * from mom_sample where 1 = 0");
  EXPECT_EQ(star->fields().Item(0).Name(), "MoDId");
  EXPECT_EQ(star->fields().Item(1).Name(), "smallq");
  EXPECT_EQ(star->fields().Item(10).Name(), "cFixed");
  // As the embedded database names them: a column as declared, however the text writes
  // it, an alias as written.
  auto named = fresh->Execute("select MODID, smallq, cfixed as cfixed, SmallQ as Small from mom_sample where 1 = 0");
  EXPECT_EQ(named->fields().Item(0).Name(), "MoDId");
  EXPECT_EQ(named->fields().Item(1).Name(), "SmallQ");  // not in the dictionary: as the text spells it elsewhere
  EXPECT_EQ(named->fields().Item(2).Name(), "cfixed");
  EXPECT_EQ(named->fields().Item(3).Name(), "Small");
}

TEST_F(PgTest, ParametersOfEveryTypeRoundTrip) {
  db_->Execute(
      "create table p (k int primary key, b boolean, i2 smallint, i4 int, i8 bigint, r8 double precision, "
      "d numeric(19,4), dt timestamp(3), s varchar(20), bytes bytea, u smallint)");
  com::SafeArray bytes;
  for (int v : {0, 1, 127, 128, 255}) bytes.items.emplace_back(static_cast<uint8_t>(v));
  com::Date date = *com::ParseDate("2023-12-31 23:59:58");
  date.days += 0.123 / 86400;
  const com::Variant values[] = {com::Variant(true),
                                 com::Variant(int16_t{-12}),
                                 com::Variant(int32_t{std::numeric_limits<int32_t>::min()}),
                                 com::Variant(std::numeric_limits<int64_t>::max()),
                                 com::Variant(0.1 + 0.2),
                                 com::Variant::FromCurrency(-123456789),
                                 com::Variant(date),
                                 com::Variant("it's \"quoted\" 甲; ?"),
                                 com::Variant(bytes),
                                 com::Variant(uint8_t{200})};
  auto insert = Text(*db_, "insert into p values (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)");
  insert->parameters().Append(insert->CreateParameter("k", ado::adInteger, ado::adParamInput, 0, 1));
  for (const com::Variant& v : values)
    insert->parameters().Append(insert->CreateParameter("", ado::adVariant, ado::adParamInput, 0, v));
  int64_t affected = 0;
  insert->Execute(&affected);
  EXPECT_EQ(affected, 1);
  // Nulls (Null and Empty), and the statement run again (prepared the second time).
  insert->parameters().Item(0).value = 2;
  for (int i = 1; i <= 10; ++i) insert->parameters().Item(i).value = i % 2 ? com::Variant::Null() : com::Variant();
  insert->Execute();
  insert->parameters().Item(0).value = 3;
  insert->Execute();

  auto select = Text(*db_, "select b, i2, i4, i8, r8, d, dt, s, bytes, u from p where k = ?");
  select->parameters().Append(select->CreateParameter("k", ado::adInteger, ado::adParamInput, 0, 1));
  auto rs = select->Execute();
  ASSERT_EQ(rs->RecordCount(), 1);
  EXPECT_EQ(rs->fields().Item(0).Value(), com::Variant(true));
  EXPECT_EQ(rs->fields().Item(1).Value(), com::Variant(int16_t{-12}));
  EXPECT_EQ(rs->fields().Item(2).Value(), com::Variant(std::numeric_limits<int32_t>::min()));
  EXPECT_EQ(rs->fields().Item(3).Value(), com::Variant(std::numeric_limits<int64_t>::max()));
  EXPECT_EQ(rs->fields().Item(4).Value(), com::Variant(0.1 + 0.2));
  EXPECT_EQ(rs->fields().Item(5).Value(), com::Variant(-12345.6789));
  EXPECT_NEAR(rs->fields().Item(6).Value().ToDate().days, date.days, 1e-9);
  EXPECT_EQ(rs->fields().Item(7).Value(), com::Variant("it's \"quoted\" 甲; ?"));
  EXPECT_EQ(rs->fields().Item(8).Value().ToArray().items.size(), 5u);
  EXPECT_EQ(rs->fields().Item(8).Value().ToArray().items[3].ToUI1(), 128);
  EXPECT_EQ(rs->fields().Item(9).Value(), com::Variant(int16_t{200}));
  for (int k : {2, 3}) {
    select->parameters().Item(0).value = k;
    rs = select->Execute();
    ASSERT_EQ(rs->RecordCount(), 1);
    for (int i = 0; i < 10; ++i) EXPECT_TRUE(rs->fields().Item(i).Value().is_null()) << i;
  }
  // Untyped text lets the server pick the type from the context.
  auto calc = Text(*db_, "select ? + 1 as n, coalesce(?, 'none') as t");
  calc->parameters().Append(calc->CreateParameter("", ado::adVarWChar, ado::adParamInput, 10, "41"));
  calc->parameters().Append(calc->CreateParameter("", ado::adVarWChar, ado::adParamInput, 10));
  rs = calc->Execute();
  EXPECT_EQ((*rs)["n"].Value(), com::Variant(int32_t{42}));
  EXPECT_EQ((*rs)["t"].Value(), com::Variant("none"));
  // A value without a context is sent with its own type.
  auto state = Text(*db_, "select case when ? is null then 'null' else 'set' end as state");
  state->parameters().Append(state->CreateParameter("", ado::adInteger, ado::adParamInput, 0, 5));
  EXPECT_EQ((*state->Execute())["state"].Value(), com::Variant("set"));
  // Too few values.
  calc->parameters().Delete("");
  calc->parameters().Delete("");
  EXPECT_EQ(RaisedNumber([&] { calc->Execute(); }), ado::kErrProvider);
}

TEST_F(PgTest, TemporaryTablesBelongToTheirSession) {
  db_->Execute("create table #work (a int)");
  db_->Execute("insert into #Work values (1)");
  EXPECT_EQ(Count(*db_, "#work"), 1);
  EXPECT_EQ(RaisedNumber([&] { Count(Other(), "#work"); }), ado::kErrProvider);
  db_->Execute("drop table #work");
  EXPECT_EQ(RaisedNumber([&] { Count(*db_, "#work"); }), ado::kErrProvider);
}

TEST_F(PgTest, SelectIntoWithIdentityNumbersTheRowsAndLaterInserts) {
  db_->Execute("create table mom_moallocate (AllocateId int, ComponentId varchar(20), Qty numeric(28,6))");
  db_->Execute("insert into mom_moallocate values (1, 'C', 3), (2, 'A', 1), (3, 'B', 2)");
  db_->BeginTrans();
  db_->Execute(
      "select IDENTITY(int,1,1) as SortSeq, ComponentId, Qty into #tmp_alloc from mom_moallocate order by Qty");
  db_->Execute("insert into #tmp_alloc (ComponentId, Qty) values ('D', 9)");
  auto rs = db_->Execute("select * from #tmp_alloc order by SortSeq");
  ASSERT_EQ(rs->RecordCount(), 4);
  EXPECT_EQ(rs->fields().Item(0).Name(), "SortSeq");
  EXPECT_EQ(rs->fields().Item(0).Type(), ado::adInteger);
  EXPECT_EQ(rs->fields().Item(1).Type(), ado::adVarWChar);
  EXPECT_EQ(rs->fields().Item(1).DefinedSize(), 20);
  EXPECT_EQ(rs->fields().Item(2).Precision(), 28);
  std::string order;
  for (int n = 1; !rs->Eof(); rs->MoveNext(), ++n) {
    EXPECT_EQ(rs->fields().Item(0).Value().ToI4(), n);
    order += rs->fields().Item(1).Value().ToString();
  }
  EXPECT_EQ(order, "ABCD");
  db_->CommitTrans();

  // The component's own statement: an empty copy, numbering from 1.
  db_->Execute("select IDENTITY(int,1,1) as SortSeq,AllocateId,Qty into #tmp_moallocate from mom_moallocate where 1 = 2");
  db_->Execute("insert into #tmp_moallocate (AllocateId, Qty) select AllocateId, Qty from mom_moallocate");
  EXPECT_EQ(Scalar(*db_, "select max(SortSeq) from #tmp_moallocate").ToI4(), 3);
}

}  // namespace
