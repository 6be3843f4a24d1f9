// Stored procedures on a real PostgreSQL server (pg_test_support.h): return codes,
// cursor rows, return values, a lost server, and the row token's text.

#include <gtest/gtest.h>

#include <limits>
#include <optional>
#include <random>

#include "platform/ado/ado_test_support.h"
#include "platform/ado/command.h"
#include "platform/ado/field.h"
#include "platform/ado/numeric_rules.h"
#include "platform/ado/postgres/dialect.h"
#include "platform/ado/postgres/pg_test_support.h"

namespace {

using ado_test::Raised;
using ado_test::RaisedNumber;
using ado_test::Scalar;
using pg_test::OpenConnection;
using pg_test::PgTest;

TEST_F(PgTest, ProceduresReturnCodesAndCursorRows) {
  db_->Execute(
      "create table Items (k serial primary key, ItemName varchar(20), Amount numeric(28,6));"
      "create table sys_identifier (name varchar(128));"
      "insert into sys_identifier values ('ItemName'), ('Amount');"
      "create function test_add_item(p_name varchar, p_amount numeric) returns integer language plpgsql as $$\n"
      "declare v int;\n"
      "begin\n"
      "  insert into Items (ItemName, Amount) values (p_name, p_amount) returning k into v;\n"
      "  if p_amount < 0 then raise exception 'amount below zero for %', p_name; end if;\n"
      "  return v;\n"
      "end $$;\n"
      "create function test_list(p_min numeric, out rc integer, out rs refcursor) language plpgsql as $$\n"
      "begin\n"
      "  open rs for select ItemName as \"ItemName\", Amount as \"amount\" from Items where Amount >= p_min "
      "order by k;\n"
      "  select count(*) into rc from Items where Amount >= p_min;\n"
      "end $$;");
  auto call = [&](const std::string& name) {
    auto cmd = ado::Command::Create();
    cmd->SetActiveConnection(db_);
    cmd->command_text = name;
    cmd->command_type = ado::adCmdStoredProc;
    cmd->parameters().Append(cmd->CreateParameter("Return", ado::adInteger, ado::adParamReturnValue));
    return cmd;
  };
  auto add = [&](const std::string& item, double amount) {
    auto cmd = call("[dbo].[Test_Add_Item]");
    cmd->parameters().Append(cmd->CreateParameter("@Name", ado::adVarChar, ado::adParamInput, 20, item));
    cmd->parameters().Append(cmd->CreateParameter("@Amount", ado::adDouble, ado::adParamInput, 0, amount));
    return cmd;
  };
  for (int round = 0; round < 2; ++round) {  // the second round knows the shapes
    auto cmd = add("first", 10);
    auto rs = cmd->Execute();
    EXPECT_EQ(rs->State(), ado::adStateClosed);
    EXPECT_EQ(cmd->parameters().Item(0).value.ToI4(), 2 * round + 1);
    add("second", 20)->Execute();

    auto list = call("dbo.test_list");
    list->parameters().Append(list->CreateParameter("@Min", ado::adDouble, ado::adParamInput, 0, 15.0));
    rs = list->Execute();
    EXPECT_EQ(list->parameters().Item(0).value.ToI4(), round + 1);
    ASSERT_EQ(rs->fields().Count(), 2);
    // A procedure's columns are named as it spells them, lower case too.
    EXPECT_EQ(rs->fields().Item(0).Name(), "ItemName");
    EXPECT_EQ(rs->fields().Item(1).Name(), "amount");
    EXPECT_EQ(rs->RecordCount(), round + 1);
    EXPECT_EQ((*rs)["ItemName"].Value(), com::Variant("second"));
  }
  EXPECT_FALSE(db_->session().InTransaction());
  EXPECT_EQ(Scalar(*db_, "select count(*) from pg_cursors where name <> ''").ToI4(), 0);

  // Inside a transaction a failing call undoes only itself.
  db_->BeginTrans();
  add("third", 1)->Execute();
  auto e = Raised([&] { add("bad", -1)->Execute(); });
  ASSERT_TRUE(e);
  EXPECT_EQ(e->number(), ado::kErrProvider);
  EXPECT_EQ(e->description(), "amount below zero for bad");
  auto list = call("test_list");
  list->parameters().Append(list->CreateParameter("@Min", ado::adDouble, ado::adParamInput, 0, 0.0));
  EXPECT_EQ(list->Execute()->RecordCount(), 5);
  db_->CommitTrans();
  EXPECT_EQ(Count(Other(), "Items"), 5);

  e = Raised([&] { call("[dbo].[NoSuchProc]")->Execute(); });
  ASSERT_TRUE(e);
  EXPECT_EQ(e->number(), ado::kErrProvider);
  EXPECT_EQ(e->description(), "Could not find stored procedure '[dbo].[NoSuchProc]'.");
  db_->BeginTrans();
  EXPECT_EQ(RaisedNumber([&] { call("NoSuchProc")->Execute(); }), ado::kErrProvider);
  db_->CommitTrans();
}

TEST_F(PgTest, ReturnValuesMustBeWholeAndOverflowsAreTheDataLayersOwn) {
  db_->Execute(
      "create function test_code(p numeric) returns numeric language sql as $$ select p $$;"
      "create function test_overflow() returns integer language plpgsql as $$\n"
      "begin raise exception 'too big' using errcode = '22003'; end $$;");
  auto call = [&](const std::string& name, std::optional<double> arg) {
    auto cmd = ado::Command::Create();
    cmd->SetActiveConnection(db_);
    cmd->command_text = name;
    cmd->command_type = ado::adCmdStoredProc;
    cmd->parameters().Append(cmd->CreateParameter("Return", ado::adInteger, ado::adParamReturnValue));
    if (arg) cmd->parameters().Append(cmd->CreateParameter("p", ado::adDouble, ado::adParamInput, 0, *arg));
    cmd->Execute();
    return cmd->parameters().Item(0).value;
  };
  EXPECT_EQ(call("test_code", 90001.0), com::Variant(int32_t{90001}));  // "90001" or "90001.0": both whole
  const double refused[] = {90001.5, 3e9};
  for (double v : refused) {
    auto e = Raised([&] { call("test_code", v); });
    ASSERT_TRUE(e) << v;
    EXPECT_EQ(e->number(), ado::kErrProvider);
    EXPECT_NE(e->description().find("not a whole number"), std::string::npos) << e->description();
  }
  try {
    call("test_overflow", std::nullopt);
    ADD_FAILURE() << "no overflow";
  } catch (const ado::Error& overflow) {
    EXPECT_EQ(overflow.number(), ado::kErrDataOverflow);
    EXPECT_EQ(overflow.native_code(), ado::kNativeArithmeticOverflow);
    EXPECT_EQ(overflow.description(), "too big");
  }
  EXPECT_FALSE(db_->session().InTransaction());
}

TEST_F(PgTest, ATerminatedBackendFailsEveryLaterCall) {
  int pid = Scalar(*db_, "select pg_backend_pid()").ToI4();
  db_->BeginTrans();
  Other().Execute("select pg_terminate_backend(" + std::to_string(pid) + ")");
  for (int i = 0; i < 50 && Scalar(Other(), "select count(*) from pg_stat_activity where pid = " +
                                                std::to_string(pid)).ToI4() > 0;
       ++i)
    usleep(20000);
  for (int i = 0; i < 3; ++i) {
    auto e = Raised([&] { db_->Execute("select 1"); });
    ASSERT_TRUE(e);
    EXPECT_EQ(e->number(), ado::kErrProvider);
    EXPECT_FALSE(e->description().empty());
  }
  auto cmd = ado::Command::Create();
  cmd->SetActiveConnection(db_);
  cmd->command_text = "anything";
  cmd->command_type = ado::adCmdStoredProc;
  EXPECT_EQ(RaisedNumber([&] { cmd->Execute(); }), ado::kErrProvider);
  EXPECT_FALSE(db_->session().InTransaction());
  db_ = {};  // closing does not fail
}

// The row-version token agrees with the SQLite dialect's for every kind of int64.
TEST_F(PgTest, MoneyTokenMatchesTheSqliteText) {
  std::vector<int64_t> values = {0,     1,      -1,     9999,        10000,       -10000, 2001, 123456789,
                                 -5,    -9999,  -10001, 4294967296LL, -4294967297LL,
                                 std::numeric_limits<int64_t>::max(), std::numeric_limits<int64_t>::min(),
                                 std::numeric_limits<int64_t>::min() + 1};
  std::mt19937_64 random(42);
  for (int i = 0; i < 200; ++i) {
    int64_t v = static_cast<int64_t>(random());
    values.push_back(v >> (i % 60));
  }
  std::string sql = "select v, " + ado::postgres::MoneyTextExpression("v") + " as t from (values ";
  for (size_t i = 0; i < values.size(); ++i) sql += (i ? ", ('" : "('") + std::to_string(values[i]) + "'::bigint)";
  sql += ") x(v)";
  auto rs = db_->Execute(sql);
  ASSERT_EQ(rs->RecordCount(), static_cast<int32_t>(values.size()));
  for (; !rs->Eof(); rs->MoveNext()) {
    int64_t v = rs->fields().Item(0).Value().ToI8();
    EXPECT_EQ(rs->fields().Item(1).Value().ToString(), ado::MoneyText(v)) << v;
  }
  // Through the dialect, with the value as a parameter.
  auto cmd = Text(*db_, "select convert(char, convert(money, ?), 2) as Krts");
  cmd->parameters().Append(cmd->CreateParameter("", ado::adBigInt, ado::adParamInput, 0, int64_t{-2001}));
  EXPECT_EQ(cmd->Execute()->fields().Item("Krts").Value().ToString(), ado::MoneyText(-2001));
}

}  // namespace
