// The stored procedures, called the way the components call them: through a command
// on an ado connection to a database made by CreateDatabase with the sample company.

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <string>
#include <vector>

#include "database/database_test_support.h"
#include "database/manufacturing_db.h"
#include "database/procedure_signatures.h"
#include "platform/ado/command.h"
#include "platform/ado/connection.h"
#include "platform/ado/connection_string.h"
#include "platform/ado/error.h"
#include "platform/ado/procedure_catalog.h"
#include "platform/ado/recordset.h"
#include "platform/com/date.h"
#include "platform/com/error.h"
#include "testing/test_database.h"
#include "testing/test_support.h"

namespace {

using database_testing::DirectConnection;
using database_testing::SqliteFile;
using testing_support::TestDatabase;

// A procedure, and which input names the row whose token the caller passes.
struct ProcedureDef {
  const database::ProcedureSignature* signature;
  const char* table;
  const char* key;
  size_t key_input;
};

const ProcedureDef kOpTransform{&database::kUpdOpTransformDecQty, "sfc_optransformdetail", "OpMdId", 0};
const ProcedureDef kRoutingQty{&database::kUpdMRoutingQty, "sfc_moroutingdetail", "MoRoutingDId", 1};
const ProcedureDef kMoQty{&database::kUpdMoQty, "mom_orderdetail", "MoDId", 1};
const ProcedureDef kAllocateQty{&database::kUpdMoAllocateTxQty, "mom_moallocate", "AllocateId", 1};

enum class Token {
  kCurrent,  // read just before the call
  kEmpty,
  kBlank,
  kStale,  // read, then someone else saves the row
};

struct Expect {
  const char* table;
  const char* key;
  int64_t id;
  const char* column;
  double value;
};

struct Case {
  const char* what;
  const ProcedureDef* procedure;
  std::vector<com::Variant> inputs;  // the Krts input is filled from `token`
  Token token;
  int32_t expected;
  std::vector<Expect> after;  // checked on success; on refusal these rows must not change
  const char* setup = nullptr;
  // The setup breaks a foreign key: run without the checks, on the embedded database
  // only (a file from before the keys were enforced); the server never holds such rows.
  bool breaks_foreign_key = false;
  // The setup for the server database where it differs (its row versions come from a
  // sequence).
  const char* postgres_setup = nullptr;
};

com::Variant Day(int year, int month, int day) { return com::DateFromCivil({year, month, day, 0, 0, 0}); }

class ProcedureTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (std::string why = TestDatabase::Unavailable(); !why.empty()) GTEST_SKIP() << why;
    Recreate();
  }

  // A fresh sample company and a connection to it.
  void Recreate() {
    if (connection_) connection_->Close();
    database_.reset();
    database_ = std::make_unique<TestDatabase>(dir_);
    connection_ = ado::Connection::Create();
    connection_->Open(database_->connection_string());
  }

  // The row's token as the component reads it.
  std::string ReadToken(const char* table, const char* key, int64_t id) {
    com::Ptr<ado::Recordset> rs = connection_->Execute(
        std::string("SELECT convert(char,convert(money,Krts),2) AS Token FROM ") + table + " WHERE " + key +
        " = " + std::to_string(id));
    if (rs->Eof()) return "";
    return rs->fields().Item(0).Value().ToString();
  }

  int32_t Call(const ProcedureDef& p, const std::vector<com::Variant>& inputs) {
    com::Ptr<ado::Command> cmd = ado::Command::Create();
    cmd->SetActiveConnection(connection_);
    cmd->command_text = std::string(p.signature->name);
    cmd->command_type = ado::adCmdStoredProc;
    cmd->parameters().Append(cmd->CreateParameter("Return", ado::adInteger, ado::adParamReturnValue));
    for (size_t i = 0; i < inputs.size() && i < p.signature->inputs.size(); ++i) {
      const database::ProcedureParameter& def = p.signature->inputs[i];
      com::Ptr<ado::Parameter> param =
          cmd->CreateParameter(std::string(def.name), def.type, ado::adParamInput, def.size, inputs[i]);
      if (def.type == ado::adDecimal) {
        param->precision = def.precision;
        param->numeric_scale = def.scale;
      }
      cmd->parameters().Append(param);
    }
    cmd->Execute(nullptr, ado::adExecuteNoRecords);
    return cmd->parameters().Item(0).value.ToI4();
  }

  // Runs a case from the current database and checks its outcome.
  void Run(const Case& c) {
    SCOPED_TRACE(c.what);
    DirectConnection db(database_->connection_string());
    if (c.breaks_foreign_key) {
      if (TestDatabase::IsPostgres()) return;
      SqliteFile(database_->target()).Exec(c.setup);
    } else if (TestDatabase::IsPostgres() && c.postgres_setup) {
      db.Exec(c.postgres_setup);
    } else if (c.setup) {
      db.Exec(c.setup);
    }
    const ProcedureDef& p = *c.procedure;
    const int64_t id = c.inputs[p.key_input].ToI8();

    std::vector<com::Variant> inputs = c.inputs;
    size_t token_input = 0;
    while (p.signature->inputs[token_input].name != "Krts") ++token_input;
    switch (c.token) {
      case Token::kCurrent: inputs[token_input] = ReadToken(p.table, p.key, id); break;
      case Token::kEmpty: inputs[token_input] = ""; break;
      case Token::kBlank: inputs[token_input] = "   "; break;
      case Token::kStale:
        inputs[token_input] = ReadToken(p.table, p.key, id);
        db.Exec(std::string("UPDATE ") + p.table + " SET " + p.key + " = " + p.key + " WHERE " + p.key + " = " +
                std::to_string(id));
        break;
    }

    auto snapshot = [&](const char* table, const char* key, int64_t row) {
      return db.Rows(std::string("SELECT * FROM ") + table + " WHERE " + key + " = " + std::to_string(row));
    };
    std::vector<std::vector<std::vector<std::string>>> before;
    for (const Expect& e : c.after) before.push_back(snapshot(e.table, e.key, e.id));
    const auto token_row_before = snapshot(p.table, p.key, id);
    const int64_t counter_before = db.Counter();

    EXPECT_EQ(Call(p, inputs), c.expected);

    if (c.expected != database::kOk) {
      // Nothing written anywhere: any write would have taken a row version.
      EXPECT_EQ(db.Counter(), counter_before);
      EXPECT_EQ(snapshot(p.table, p.key, id), token_row_before);
      for (size_t i = 0; i < c.after.size(); ++i)
        EXPECT_EQ(snapshot(c.after[i].table, c.after[i].key, c.after[i].id), before[i]);
      return;
    }
    for (const Expect& e : c.after) {
      const std::string where = std::string(" FROM ") + e.table + " WHERE " + e.key + " = " + std::to_string(e.id);
      EXPECT_DOUBLE_EQ(db.Real(std::string("SELECT ") + e.column + where), e.value) << e.table << "." << e.column;
      EXPECT_GT(db.Int("SELECT Krts" + where), counter_before) << e.table << " " << e.id << " keeps its version";
    }
  }

  void RunAll(const std::vector<Case>& cases) {
    for (const Case& c : cases) {
      // Each case starts from the sample company.
      Recreate();
      Run(c);
    }
  }

  testing_support::TempDir dir_;
  std::unique_ptr<TestDatabase> database_;
  com::Ptr<ado::Connection> connection_;
};

// Sample: MO line 1001 has Qty 10, received 2, reported for inspection 3; 1003 is closed.
TEST_F(ProcedureTest, UpdMoQty) {
  const com::Variant today = Day(2024, 3, 8);
  auto in = [&](int type, int64_t id, double change, bool check) {
    return std::vector<com::Variant>{type, static_cast<int32_t>(id), change, check, "", today};
  };
  auto received = [](double v) { return std::vector<Expect>{{"mom_orderdetail", "MoDId", 1001, "QualifiedInQty", v}}; };
  auto declared = [](double v) { return std::vector<Expect>{{"mom_orderdetail", "MoDId", 1001, "DeclaredQty", v}}; };
  RunAll({
      {"receipt", &kMoQty, in(1, 1001, 3, true), Token::kCurrent, 0, received(5)},
      {"receipt up to the order quantity", &kMoQty, in(1, 1001, 8, true), Token::kCurrent, 0, received(10)},
      {"receipt past the order quantity", &kMoQty, in(1, 1001, 8.000001, true), Token::kCurrent, 90006, received(2)},
      {"over-receipt without the check", &kMoQty, in(1, 1001, 9, false), Token::kCurrent, 0, received(11)},
      // 0.1 + 0.2 is more than 0.3 in binary floating point.
      {"sums compared at six decimals", &kMoQty, in(1, 1001, 0.2, true), Token::kCurrent, 0, received(0.3),
       "UPDATE mom_orderdetail SET Qty = 0.3, QualifiedInQty = 0.1 WHERE MoDId = 1001"},
      {"cancel the whole receipt", &kMoQty, in(1, 1001, -2, true), Token::kCurrent, 0, received(0)},
      {"cancel more than received", &kMoQty, in(1, 1001, -2.5, true), Token::kCurrent, 90011, received(2)},
      {"cancel more than received, unchecked", &kMoQty, in(1, 1001, -2.5, false), Token::kCurrent, 90011,
       received(2)},
      {"inspection up to the order quantity", &kMoQty, in(2, 1001, 7, true), Token::kCurrent, 0, declared(10)},
      {"inspection past the order quantity", &kMoQty, in(2, 1001, 7.5, true), Token::kCurrent, 90015, declared(3)},
      {"inspection without the check", &kMoQty, in(2, 1001, 7.5, false), Token::kCurrent, 0, declared(10.5)},
      {"unknown type", &kMoQty, in(3, 1001, 1, true), Token::kCurrent, 90002, received(2)},
      {"no such line", &kMoQty, in(1, 999999, 1, true), Token::kEmpty, 90001, {}},
      {"closed line", &kMoQty, in(1, 1003, -1, true), Token::kCurrent, 90004, {}},
      {"closed line, stale token", &kMoQty, in(1, 1003, -1, true), Token::kStale, 90001, {}},
      {"stale token", &kMoQty, in(1, 1001, 1, true), Token::kStale, 90001, received(2)},
      {"empty token", &kMoQty, in(1, 1001, 1, true), Token::kEmpty, 0, received(3)},
      {"blank token", &kMoQty, in(2, 1001, 1, true), Token::kBlank, 0, declared(4)},
      // Past 9999 the token has digits before the point; the comparison must agree.
      {"large row version", &kMoQty, in(1, 1001, 1, true), Token::kCurrent, 0, received(3),
       "UPDATE sys_rowversion SET value = 123456788; UPDATE mom_orderdetail SET Remark = Remark WHERE MoDId = 1001",
       false,
       "SELECT setval('sys_rowversion_seq', 123456788); "
       "UPDATE mom_orderdetail SET Remark = Remark WHERE MoDId = 1001"},
  });
}

TEST_F(ProcedureTest, UpdMoQtyKeepsTheBusinessDate) {
  DirectConnection db(database_->connection_string());
  ASSERT_EQ(Call(kMoQty, {1, 1001, 1.0, true, "", Day(2024, 3, 8)}), 0);
  ASSERT_EQ(Call(kMoQty, {2, 1001, 1.0, true, "", Day(2024, 3, 9)}), 0);
  EXPECT_EQ(db.Text("SELECT LastInDate FROM mom_orderdetail WHERE MoDId = 1001"), "2024-03-08 00:00:00");
  EXPECT_EQ(db.Text("SELECT LastDeclareDate FROM mom_orderdetail WHERE MoDId = 1001"), "2024-03-09 00:00:00");
  // Without a date the earlier one stays.
  ASSERT_EQ(Call(kMoQty, {1, 1001, 1.0, true, "", com::Variant::Null()}), 0);
  EXPECT_EQ(db.Text("SELECT LastInDate FROM mom_orderdetail WHERE MoDId = 1001"), "2024-03-08 00:00:00");
}

// Sample: 5001 plans 10 with 4 issued; 5004 plans 10.5 with 2.1 issued; 5008 is
// deleted; 5021 belongs to the closed line 1003.
TEST_F(ProcedureTest, UpdMoAllocateTxQty) {
  auto in = [](int type, int32_t id, double change, bool check) {
    return std::vector<com::Variant>{type, id, change, check, ""};
  };
  auto issued = [](int64_t id, double v) { return std::vector<Expect>{{"mom_moallocate", "AllocateId", id, "IssQty", v}}; };
  auto inspected = [](double v) { return std::vector<Expect>{{"mom_moallocate", "AllocateId", 5001, "InspQty", v}}; };
  RunAll({
      {"issue up to the plan", &kAllocateQty, in(1, 5001, 6, true), Token::kCurrent, 0, issued(5001, 10)},
      {"issue past the plan", &kAllocateQty, in(1, 5001, 6.5, true), Token::kCurrent, 90007, issued(5001, 4)},
      {"issue past the plan, unchecked", &kAllocateQty, in(1, 5001, 6.5, false), Token::kCurrent, 0,
       issued(5001, 10.5)},
      {"fractions add up to the plan", &kAllocateQty, in(1, 5004, 8.4, true), Token::kCurrent, 0, issued(5004, 10.5)},
      {"sums compared at six decimals", &kAllocateQty, in(1, 5001, 0.2, true), Token::kCurrent, 0, issued(5001, 0.3),
       "UPDATE mom_moallocate SET Qty = 0.3, IssQty = 0.1 WHERE AllocateId = 5001"},
      {"return everything issued", &kAllocateQty, in(1, 5001, -4, true), Token::kCurrent, 0, issued(5001, 0)},
      {"return more than issued", &kAllocateQty, in(1, 5001, -4.5, false), Token::kCurrent, 90009, issued(5001, 4)},
      {"inspect up to the plan", &kAllocateQty, in(2, 5001, 10, true), Token::kCurrent, 0, inspected(10)},
      {"inspect past the plan", &kAllocateQty, in(2, 5001, 10.5, true), Token::kCurrent, 90015, inspected(0)},
      {"inspect past the plan, unchecked", &kAllocateQty, in(2, 5001, 10.5, false), Token::kCurrent, 0,
       inspected(10.5)},
      {"unknown type", &kAllocateQty, in(0, 5001, 1, true), Token::kCurrent, 90002, issued(5001, 4)},
      {"deleted component", &kAllocateQty, in(1, 5008, 1, true), Token::kCurrent, 90005, {}},
      {"deleted component, stale token", &kAllocateQty, in(1, 5008, 1, true), Token::kStale, 90001, {}},
      {"component of a closed line", &kAllocateQty, in(1, 5021, -1, true), Token::kCurrent, 90004, {}},
      {"deleted component of a closed line", &kAllocateQty, in(1, 5021, -1, true), Token::kCurrent, 90005, {},
       "UPDATE mom_moallocate SET DeleteFlag = '1' WHERE AllocateId = 5021"},
      {"no such component", &kAllocateQty, in(1, 999999, 1, true), Token::kEmpty, 90001, {}},
      {"stale token", &kAllocateQty, in(1, 5001, 1, true), Token::kStale, 90001, issued(5001, 4)},
      {"empty token", &kAllocateQty, in(1, 5001, 1, true), Token::kEmpty, 0, issued(5001, 5)},
  });
}

// Sample routing of 1001: 3001 (0010) passed 8, finished 8, 2 waiting, 6 moved out;
// 3003 (0030, last) passed and finished 3. 3011 belongs to 1004, whose two operations
// are both flagged last; 3021 to the closed line 1003.
TEST_F(ProcedureTest, UpdMRoutingQty) {
  auto in = [](int type, int32_t id, double change) { return std::vector<com::Variant>{type, id, change, ""}; };
  auto col = [](int64_t id, const char* column, double v) {
    return Expect{"sfc_moroutingdetail", "MoRoutingDId", id, column, v};
  };
  RunAll({
      {"finished at the last operation", &kRoutingQty, in(6, 3003, 2), Token::kCurrent, 0,
       {col(3003, "CompleteQty", 5), col(3003, "QualifiedQty", 5)}},
      {"finished quantity cancelled", &kRoutingQty, in(6, 3003, -1), Token::kCurrent, 0,
       {col(3003, "CompleteQty", 2), col(3003, "QualifiedQty", 2)}},
      {"a line of several flagged last", &kRoutingQty, in(6, 3011, 1), Token::kCurrent, 0,
       {col(3011, "CompleteQty", 6), col(3011, "QualifiedQty", 6)}},
      {"passed", &kRoutingQty, in(1, 3001, 1), Token::kCurrent, 0,
       {col(3001, "QualifiedQty", 9), col(3001, "CompleteQty", 8)}},
      {"scrapped", &kRoutingQty, in(2, 3001, 1.5), Token::kCurrent, 0, {col(3001, "ScrapQty", 1.5)}},
      {"refused", &kRoutingQty, in(3, 3001, 1), Token::kCurrent, 0, {col(3001, "RefusedQty", 1)}},
      {"waiting to move", &kRoutingQty, in(4, 3001, -2), Token::kCurrent, 0, {col(3001, "BalQualifiedQty", 0)}},
      {"moved out", &kRoutingQty, in(5, 3001, 2), Token::kCurrent, 0, {col(3001, "TransOutQty", 8)}},
      {"type 0", &kRoutingQty, in(0, 3001, 1), Token::kCurrent, 90002, {col(3001, "QualifiedQty", 8)}},
      {"type 7", &kRoutingQty, in(7, 3001, 1), Token::kCurrent, 90002, {col(3001, "QualifiedQty", 8)}},
      {"closed line", &kRoutingQty, in(6, 3021, 1), Token::kCurrent, 90004, {}},
      {"no such routing line", &kRoutingQty, in(6, 999999, 1), Token::kEmpty, 90001, {}},
      {"stale token", &kRoutingQty, in(6, 3003, 1), Token::kStale, 90001, {col(3003, "CompleteQty", 3)}},
      {"blank token", &kRoutingQty, in(6, 3003, 1), Token::kBlank, 0, {col(3003, "CompleteQty", 4)}},
  });
}

// Sample: move line 4101 moves 6 out of 3001 (whose TransOutQty is 6).
TEST_F(ProcedureTest, UpdOpTransformDecQty) {
  auto in = [](int32_t id, double change) { return std::vector<com::Variant>{id, change, ""}; };
  auto both = [](double line, double routing) {
    return std::vector<Expect>{{"sfc_optransformdetail", "OpMdId", 4101, "Qty", line},
                               {"sfc_moroutingdetail", "MoRoutingDId", 3001, "TransOutQty", routing}};
  };
  RunAll({
      {"more moved", &kOpTransform, in(4101, 2), Token::kCurrent, 0, both(8, 8)},
      {"move cancelled", &kOpTransform, in(4101, -6), Token::kCurrent, 0, both(0, 0)},
      {"empty token", &kOpTransform, in(4101, 0.25), Token::kEmpty, 0, both(6.25, 6.25)},
      {"stale token", &kOpTransform, in(4101, 2), Token::kStale, 90001, both(6, 6)},
      {"no such move line", &kOpTransform, in(999999, 2), Token::kEmpty, 90001, {}},
      {"routing line gone", &kOpTransform, in(4101, 2), Token::kCurrent, 90001, both(6, 6),
       "UPDATE sfc_optransformdetail SET MoRoutingDId = 999999 WHERE OpMdId = 4101", true},
  });
}

// Quantities are kept exactly to six places on both databases, so a result beyond nine
// integer digits is refused, whatever the column could hold, and nothing is written.
TEST_F(ProcedureTest, QuantitiesBeyondTheLimitAreRefusedWithoutWriting) {
  constexpr char kNumeric[] = "Arithmetic overflow error converting numeric to data type numeric.";
  constexpr char kFloat[] = "Arithmetic overflow error converting float to data type numeric.";
  const struct {
    const char* what;
    const ProcedureDef* procedure;
    std::vector<com::Variant> inputs;
    const char* setup;
    const char* refusal;  // null: accepted, `check` then holds the result
    const char* check = nullptr;
    double value = 0;
  } cases[] = {
      {"a receipt past the limit", &kMoQty, {1, 1001, 1.0, false, "", com::Variant::Null()},
       "UPDATE mom_orderdetail SET Qty = 999999999, QualifiedInQty = 999999999 WHERE MoDId = 1001", kNumeric},
      {"an inspection past the limit", &kMoQty, {2, 1001, 0.000001, false, "", com::Variant::Null()},
       "UPDATE mom_orderdetail SET DeclaredQty = 999999999.999999 WHERE MoDId = 1001", kNumeric},
      {"a receipt up to the limit", &kMoQty, {1, 1001, 0.000001, false, "", com::Variant::Null()},
       "UPDATE mom_orderdetail SET QualifiedInQty = 999999999.999998 WHERE MoDId = 1001", nullptr,
       "SELECT QualifiedInQty FROM mom_orderdetail WHERE MoDId = 1001", 999999999.999999},
      {"an inspection below minus the limit", &kAllocateQty, {2, 5001, -1.0, false, ""},
       "UPDATE mom_moallocate SET InspQty = -999999999 WHERE AllocateId = 5001", kNumeric},
      {"a finished quantity past the limit", &kRoutingQty, {6, 3003, 999999999.0, ""}, nullptr, kNumeric},
      {"a move whose routing line would pass the limit", &kOpTransform, {4101, 2.0, ""},
       "UPDATE sfc_moroutingdetail SET TransOutQty = 999999998.5 WHERE MoRoutingDId = 3001", kNumeric},
      {"a change that is no number", &kRoutingQty, {6, 3003, std::nan(""), ""}, nullptr, kFloat},
      {"a change of 10^9", &kAllocateQty, {1, 5001, 1e9, false, ""}, nullptr, kFloat},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    Recreate();
    DirectConnection db(database_->connection_string());
    if (c.setup) db.Exec(c.setup);
    // Every row a write-back may touch, row versions included.
    auto rows = [&] {
      std::vector<std::vector<std::vector<std::string>>> all;
      for (const char* sql : {"SELECT * FROM mom_orderdetail ORDER BY MoDId",
                              "SELECT * FROM mom_moallocate ORDER BY AllocateId",
                              "SELECT * FROM sfc_moroutingdetail ORDER BY MoRoutingDId",
                              "SELECT * FROM sfc_optransformdetail ORDER BY OpMdId"})
        all.push_back(db.Rows(sql));
      return all;
    };
    const auto before = rows();
    if (!c.refusal) {
      EXPECT_EQ(Call(*c.procedure, c.inputs), 0);
      EXPECT_EQ(db.Real(c.check), c.value);
      continue;
    }
    try {
      Call(*c.procedure, c.inputs);
      ADD_FAILURE() << "accepted";
    } catch (const ado::Error& e) {
      EXPECT_EQ(e.number(), ado::kErrDataOverflow);
      EXPECT_EQ(e.description(), c.refusal);
    }
    EXPECT_EQ(rows(), before);
  }
}

TEST_F(ProcedureTest, ProceduresAreRegisteredWhenTheLibraryLoads) {
  for (const char* name : {"Usp_SF_UpdOpTransformDecQty", "Usp_SF_UpdMRoutingQty", "Usp_MO_UpdMoQty",
                           "Usp_MO_UpdMoAllocateTxQty"}) {
    EXPECT_NE(ado::FindProcedure("SQLite", name), nullptr) << name;
  }
  database::RegisterProcedures();
  database::RegisterProcedures();
  EXPECT_EQ(Call(kMoQty, {1, 1001, 1.0, true, "", Day(2024, 3, 8)}), 0);
}

TEST_F(ProcedureTest, TooFewArgumentsFailWithoutWriting) {
  DirectConnection db(database_->connection_string());
  const int64_t counter = db.Counter();
  EXPECT_THROW(Call(kMoQty, {1, 1001, 1.0}), com::Error);
  EXPECT_EQ(db.Counter(), counter);
}

}  // namespace
