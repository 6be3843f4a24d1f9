// The rules of the four write-back procedures, stated once as a table (which columns a
// type code moves, which limits and refusals apply), and every rule, rounding and
// boundary run from it on the run's provider: the C++ bodies on SQLite and the
// PL/pgSQL ones on PostgreSQL must both give what the table says, so they give the
// same. Cases run on one database, each inside a transaction that is rolled back.

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "database/database_test_support.h"
#include "database/manufacturing_db.h"
#include "database/procedure_signatures.h"
#include "platform/ado/command.h"
#include "platform/ado/connection.h"
#include "platform/ado/error.h"
#include "platform/ado/recordset.h"
#include "platform/ado/text.h"
#include "platform/com/date.h"
#include "testing/test_database.h"
#include "testing/test_support.h"

namespace {

using database::ProcedureSignature;
using database_testing::DirectConnection;
using testing_support::TestDatabase;

struct Column {
  const char* table;
  const char* key;
  int32_t id;
  const char* name;
};

// What one type code does.
struct TypeRule {
  int32_t type;                 // the Type input; unused by a procedure without one
  std::vector<Column> moved;    // every column that takes the change
  const char* date_column;      // where CurDate is kept, or null
  int32_t over_limit;           // with the check flag, a result past the row's Qty: this refusal; 0 none
  int32_t below_zero;           // a result below zero, checked or not: this refusal; 0 allowed
};

struct ProcedureRules {
  const ProcedureSignature* signature;
  const char* table;  // the row the id names and whose token is checked
  const char* key;
  int32_t row;
  std::vector<TypeRule> types;
  std::vector<int32_t> unknown_types;  // refused with kFailed before the row is read
  int32_t closed_row;                  // a row of a closed order line (kOrderClosed); 0: not checked
  int32_t deleted_row;                 // a deleted row (kAllocationDeleted, before closed); 0: none
};

// Sample rows: order line 1001 and its allocation 5001, routing line 3001 and the move
// line 4101 out of it; 1003 is closed (allocation 5021, routing line 3021); 5008 is
// deleted.
Column RoutingColumn(const char* column) { return {"sfc_moroutingdetail", "MoRoutingDId", 3001, column}; }
Column LineColumn(const char* column) { return {"mom_orderdetail", "MoDId", 1001, column}; }
Column AllocationColumn(const char* column) { return {"mom_moallocate", "AllocateId", 5001, column}; }

const std::vector<ProcedureRules>& Rules() {
  static const std::vector<ProcedureRules> rules = {
      {&database::kUpdOpTransformDecQty, "sfc_optransformdetail", "OpMdId", 4101,
       {{0, {{"sfc_optransformdetail", "OpMdId", 4101, "Qty"}, RoutingColumn("TransOutQty")}, nullptr, 0, 0}},
       {}, 0, 0},
      {&database::kUpdMRoutingQty, "sfc_moroutingdetail", "MoRoutingDId", 3001,
       {{1, {RoutingColumn("QualifiedQty")}, nullptr, 0, 0},
        {2, {RoutingColumn("ScrapQty")}, nullptr, 0, 0},
        {3, {RoutingColumn("RefusedQty")}, nullptr, 0, 0},
        {4, {RoutingColumn("BalQualifiedQty")}, nullptr, 0, 0},
        {5, {RoutingColumn("TransOutQty")}, nullptr, 0, 0},
        {6, {RoutingColumn("CompleteQty"), RoutingColumn("QualifiedQty")}, nullptr, 0, 0}},
       {0, 7, 100}, 3021, 0},
      {&database::kUpdMoQty, "mom_orderdetail", "MoDId", 1001,
       {{1, {LineColumn("QualifiedInQty")}, "LastInDate", database::kReceiptExceedsOrder, database::kReceiptBelowZero},
        {2, {LineColumn("DeclaredQty")}, "LastDeclareDate", database::kNothingToInspect, 0}},
       {0, 3, 6}, 1003, 0},
      {&database::kUpdMoAllocateTxQty, "mom_moallocate", "AllocateId", 5001,
       {{1, {AllocationColumn("IssQty")}, nullptr, database::kIssueExceedsPlan, database::kReturnExceedsIssued},
        {2, {AllocationColumn("InspQty")}, nullptr, database::kNothingToInspect, 0}},
       {0, 3, 6}, 5021, 5008},
  };
  return rules;
}

const com::Variant kNull = com::Variant::Null();
constexpr int32_t kOverflow = -1;  // the call fails with the data layer's overflow error

// One call and what it must give. Inputs are chosen by the signature's types, so the
// call is built from the signature table.
struct Scenario {
  std::string what;
  std::string setup;  // run first, in the case's transaction
  com::Variant type, id, change, check = false, token = std::string(), date = com::Variant::Null();
  bool stale_token = false;  // read the token, then someone saves the row
  bool current_token = false;
  int32_t expected = 0;
  std::optional<double> result;  // on success, the value of every moved column
};

Scenario Make(std::string what, std::string setup, com::Variant type, com::Variant id, com::Variant change,
              int32_t expected = 0) {
  Scenario s;
  s.what = std::move(what);
  s.setup = std::move(setup);
  s.type = std::move(type);
  s.id = std::move(id);
  s.change = std::move(change);
  s.expected = expected;
  return s;
}

std::string Number(double v) {
  char text[64];
  std::snprintf(text, sizeof text, "%.6f", v);
  return text;
}

// Sets every moved column of the rule to `value`, and the Qty of the procedure's row
// to `limit` when given.
std::string Setup(const ProcedureRules& p, const TypeRule& t, double value, std::optional<double> limit = {}) {
  std::string sql;
  for (const Column& c : t.moved)
    sql += std::string("UPDATE ") + c.table + " SET " + c.name + " = " + Number(value) + " WHERE " + c.key + " = " +
           std::to_string(c.id) + "; ";
  if (limit)
    sql += std::string("UPDATE ") + p.table + " SET Qty = " + Number(*limit) + " WHERE " + p.key + " = " +
           std::to_string(p.row) + "; ";
  return sql;
}

std::vector<Scenario> Scenarios(const ProcedureRules& p) {
  std::vector<Scenario> out;
  const bool has_check = [&] {
    for (const auto& in : p.signature->inputs)
      if (in.type == ado::adBoolean) return true;
    return false;
  }();
  for (const TypeRule& t : p.types) {
    const std::string of = " (type " + std::to_string(t.type) + ")";
    auto add = [&](std::string what, std::string setup, com::Variant change, int32_t expected,
                   std::optional<double> result, com::Variant check = false) {
      Scenario s = Make(what + of, std::move(setup), t.type, p.row, std::move(change), expected);
      s.check = std::move(check);
      s.result = result;
      out.push_back(std::move(s));
    };
    add("adds the change", Setup(p, t, 2), 1.25, 0, 3.25);
    add("takes a negative change", Setup(p, t, 2), -0.5, 0, 1.5);
    add("a null change is zero", Setup(p, t, 2), kNull, 0, 2);
    // The decimal parameter rounds half away from zero; the sum is then exact.
    add("the change rounds up at the seventh place", Setup(p, t, 2), 0.0000005, 0, 2.000001);
    add("a negative change rounds away from zero", Setup(p, t, 2), -0.0000005, 0, 1.999999);
    add("less than half a millionth is nothing", Setup(p, t, 2), 0.00000049, 0, 2);
    // 0.1 + 0.2 is more than 0.3 in binary floating point.
    add("sums compared at six places", Setup(p, t, 0.1, has_check ? std::optional<double>(0.3) : std::nullopt), 0.2, 0,
        0.3, has_check);
    if (t.over_limit) {
      add("up to the limit", Setup(p, t, 4, 10), 6.0, 0, 10, true);
      add("a millionth past the limit", Setup(p, t, 4, 10), 6.000001, t.over_limit, {}, true);
      add("past the limit unchecked", Setup(p, t, 4, 10), 6.000001, 0, 10.000001, false);
      add("past the limit, a null check flag", Setup(p, t, 4, 10), 6.000001, 0, 10.000001, kNull);
    }
    add("down to zero", Setup(p, t, 1), -1.0, 0, 0, has_check);
    if (t.below_zero) {
      add("a millionth below zero", Setup(p, t, 1), -1.000001, t.below_zero, {}, false);
      add("a millionth below zero, checked", Setup(p, t, 1), -1.000001, t.below_zero, {}, true);
    } else {
      add("below zero", Setup(p, t, 1), -1.000001, 0, -0.000001, has_check);
    }
    add("up to the largest quantity", Setup(p, t, 999999999.999998), 0.000001, 0, 999999999.999999);
    add("past the largest quantity", Setup(p, t, 999999999.999998), 0.000002, kOverflow, {});
    add("past the smallest quantity", Setup(p, t, -999999999.999998), -0.000002, kOverflow, {});
    add("a change of 10^9", Setup(p, t, 0), 1e9, kOverflow, {});
    add("a change that is no number", Setup(p, t, 0), std::nan(""), kOverflow, {});

    Scenario current = Make("the current token" + of, Setup(p, t, 2), t.type, p.row, 1.0);
    current.current_token = true;
    current.result = 3;
    out.push_back(current);
    Scenario blank = Make("a blank token" + of, Setup(p, t, 2), t.type, p.row, 1.0);
    blank.token = std::string("   ");
    blank.result = 3;
    out.push_back(blank);
    Scenario stale = Make("a stale token" + of, Setup(p, t, 2), t.type, p.row, 1.0);
    stale.stale_token = true;
    stale.expected = database::kRowChanged;
    out.push_back(stale);
    if (t.date_column) {
      Scenario dated = Make("keeps the date" + of, Setup(p, t, 2), t.type, p.row, 1.0);
      dated.date = com::DateFromCivil({2024, 3, 8, 0, 0, 0});
      dated.result = 3;
      out.push_back(dated);
    }
    if (p.closed_row) {
      // Closed is checked before the limits.
      out.push_back(Make("a closed order line" + of, "", t.type, p.closed_row, 100.0));
      out.back().check = true;
      out.back().expected = database::kOrderClosed;
      out.push_back(Make("a closed order line, stale token" + of, "", t.type, p.closed_row, 1.0));
      out.back().stale_token = true;
      out.back().expected = database::kRowChanged;
    }
    if (p.deleted_row) {
      out.push_back(Make("a deleted row" + of, "", t.type, p.deleted_row, 1.0));
      out.back().expected = database::kAllocationDeleted;
      out.push_back(Make("a deleted row of a closed line" + of,
                         std::string("UPDATE ") + p.table + " SET DeleteFlag = '1' WHERE " + p.key + " = " +
                             std::to_string(p.closed_row),
                         t.type, p.closed_row, 1.0));
      out.back().expected = database::kAllocationDeleted;
      out.push_back(Make("a deleted row, stale token" + of, "", t.type, p.deleted_row, 1.0));
      out.back().stale_token = true;
      out.back().expected = database::kRowChanged;
    }
    out.push_back(Make("no such row" + of, "", t.type, 999999, 1.0));
    out.back().expected = database::kRowChanged;
    out.push_back(Make("a null id" + of, "", t.type, kNull, 1.0));
    out.back().expected = database::kRowChanged;
  }
  // The type is checked first: before the row is looked for.
  for (int32_t type : p.unknown_types) {
    const std::string of = " (type " + std::to_string(type) + ")";
    out.push_back(Make("unknown type" + of, "", type, p.row, 1.0));
    out.back().expected = database::kFailed;
    out.push_back(Make("unknown type, no such row" + of, "", type, 999999, 1.0));
    out.back().expected = database::kFailed;
    out.push_back(Make("unknown type, stale token" + of, "", type, p.row, 1.0));
    out.back().stale_token = true;
    out.back().expected = database::kFailed;
  }
  if (!p.unknown_types.empty()) {
    out.push_back(Make("a null type", "", kNull, p.row, 1.0));
    out.back().expected = database::kFailed;
  }
  return out;
}

class WriteBackRulesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (std::string why = TestDatabase::Unavailable(); !why.empty()) GTEST_SKIP() << why;
    database_ = std::make_unique<TestDatabase>(dir_);
    connection_ = ado::Connection::Create();
    connection_->Open(database_->connection_string());
    db_ = std::make_unique<DirectConnection>(connection_);
  }

  std::string Where(const char* table, const char* key, const com::Variant& id) {
    return std::string(" FROM ") + table + " WHERE " + key + " = " + (id.is_null() ? "NULL" : id.ToString());
  }

  std::string ReadToken(const ProcedureRules& p, const com::Variant& id) {
    auto rows = db_->Rows("SELECT convert(char,convert(money,Krts),2) AS t" + Where(p.table, p.key, id));
    return rows.empty() ? std::string() : rows[0][0];
  }

  // Builds the call from the signature: each input takes the scenario's value of its
  // kind.
  int32_t Call(const ProcedureSignature& s, const Scenario& c, const com::Variant& token) {
    com::Ptr<ado::Command> cmd = ado::Command::Create();
    cmd->SetActiveConnection(connection_);
    cmd->command_text = std::string(s.name);
    cmd->command_type = ado::adCmdStoredProc;
    cmd->parameters().Append(cmd->CreateParameter("Return", ado::adInteger, ado::adParamReturnValue));
    for (const database::ProcedureParameter& in : s.inputs) {
      const com::Variant* value = nullptr;
      switch (in.type) {
        case ado::adTinyInt: value = &c.type; break;
        case ado::adInteger: value = &c.id; break;
        case ado::adDecimal: value = &c.change; break;
        case ado::adBoolean: value = &c.check; break;
        case ado::adVarChar: value = &token; break;
        case ado::adDate: value = &c.date; break;
        default: ADD_FAILURE() << "no value for " << in.name; return -1;
      }
      com::Ptr<ado::Parameter> param =
          cmd->CreateParameter(std::string(in.name), in.type, ado::adParamInput, in.size, *value);
      if (in.type == ado::adDecimal) {
        param->precision = in.precision;
        param->numeric_scale = in.scale;
      }
      cmd->parameters().Append(param);
    }
    cmd->Execute(nullptr, ado::adExecuteNoRecords);
    return cmd->parameters().Item(0).value.ToI4();
  }

  void Run(const ProcedureRules& p, const Scenario& c) {
    SCOPED_TRACE(std::string(p.signature->name) + ": " + c.what);
    connection_->BeginTrans();
    if (!c.setup.empty()) connection_->Execute(c.setup);
    com::Variant token = c.token;
    if (c.current_token || c.stale_token) token = ReadToken(p, c.id);
    if (c.stale_token)
      connection_->Execute(std::string("UPDATE ") + p.table + " SET " + p.key + " = " + p.key + " WHERE " + p.key +
                           " = " + c.id.ToString());

    // The rows the call may touch: the token's row and the moved columns' rows.
    std::vector<std::string> rows = {"SELECT *" + Where(p.table, p.key, c.id)};
    const TypeRule* rule = nullptr;
    for (const TypeRule& t : p.types)
      if (t.type == (c.type.is_null() ? -1 : c.type.ToI4()) || p.unknown_types.empty()) rule = &t;
    if (rule)
      for (const Column& m : rule->moved) rows.push_back("SELECT *" + Where(m.table, m.key, m.id));
    std::vector<std::map<std::string, std::string>> before;
    for (const std::string& sql : rows) before.push_back(db_->NamedRow(sql));
    const int64_t counter = db_->Counter();

    int32_t code = kOverflow;
    try {
      code = Call(*p.signature, c, token);
    } catch (const ado::Error& e) {
      EXPECT_EQ(c.expected, kOverflow) << e.description();
      EXPECT_EQ(e.number(), ado::kErrDataOverflow) << e.description();
    }
    EXPECT_EQ(code, c.expected);

    std::vector<std::map<std::string, std::string>> after;
    for (const std::string& sql : rows) after.push_back(db_->NamedRow(sql));
    if (code != database::kOk) {
      // Nothing written: any write would have taken a row version.
      EXPECT_EQ(db_->Counter(), counter);
      EXPECT_EQ(after, before);
    } else if (rule) {
      // The moved columns hold the result, the date column the date when one was
      // given, and every other column is as it was.
      for (size_t i = 0; i < rule->moved.size(); ++i) {
        const Column& m = rule->moved[i];
        std::map<std::string, std::string>& row = after[i + 1];
        const std::string column = ado::AsciiLower(m.name);
        EXPECT_EQ(Number(std::stod(row[column])), Number(*c.result)) << m.table << "." << m.name;
        EXPECT_GT(std::stoll(row["krts"]), counter) << m.table << " " << m.id << " keeps its version";
        for (auto* r : {&row, &before[i + 1]}) {
          for (const Column& other : rule->moved)
            if (std::string(other.table) == m.table) r->erase(ado::AsciiLower(other.name));
          r->erase("krts");
        }
        if (rule->date_column && !c.date.is_null()) {
          EXPECT_EQ(row[ado::AsciiLower(rule->date_column)], "2024-03-08 00:00:00");
          before[i + 1].erase(ado::AsciiLower(rule->date_column));
          row.erase(ado::AsciiLower(rule->date_column));
        }
        EXPECT_EQ(row, before[i + 1]) << m.table << " " << m.id << ": other columns";
      }
    }
    connection_->RollbackTrans();
  }

  testing_support::TempDir dir_;
  std::unique_ptr<TestDatabase> database_;
  com::Ptr<ado::Connection> connection_;
  std::unique_ptr<DirectConnection> db_;
};

TEST_F(WriteBackRulesTest, EveryRuleOfTheTable) {
  for (const ProcedureRules& p : Rules())
    for (const Scenario& c : Scenarios(p)) Run(p, c);
}

}  // namespace
