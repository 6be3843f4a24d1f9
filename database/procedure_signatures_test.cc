// The signature table against what stands elsewhere: the bodies registered for
// SQLite, the PL/pgSQL functions as the server's catalog lists them, and the table in
// database/README.md.

#include "database/procedure_signatures.h"

#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "platform/ado/command.h"
#include "platform/ado/connection.h"
#include "platform/ado/field.h"
#include "platform/ado/procedure_catalog.h"
#include "platform/ado/recordset.h"
#include "platform/ado/text.h"
#include "platform/com/error.h"
#include "testing/test_database.h"
#include "testing/test_support.h"

const char* MomDatabaseReadmeText();

namespace {

using testing_support::TestDatabase;

class ProcedureSignatureTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (std::string why = TestDatabase::Unavailable(); !why.empty()) GTEST_SKIP() << why;
    database_ = std::make_unique<TestDatabase>(dir_);
    connection_ = ado::Connection::Create();
    connection_->Open(database_->connection_string());
  }

  // Calls the procedure as the callers do, with `count` of its inputs, all null.
  void CallWithNulls(const database::ProcedureSignature& s, size_t count) {
    com::Ptr<ado::Command> cmd = ado::Command::Create();
    cmd->SetActiveConnection(connection_);
    cmd->command_text = std::string(s.name);
    cmd->command_type = ado::adCmdStoredProc;
    cmd->parameters().Append(cmd->CreateParameter("Return", ado::adInteger, ado::adParamReturnValue));
    for (size_t i = 0; i < count; ++i) {
      const database::ProcedureParameter& p = s.inputs[i];
      com::Ptr<ado::Parameter> param =
          cmd->CreateParameter(std::string(p.name), p.type, ado::adParamInput, p.size, com::Variant::Null());
      if (p.type == ado::adDecimal) {
        param->precision = p.precision;
        param->numeric_scale = p.scale;
      }
      cmd->parameters().Append(param);
    }
    connection_->BeginTrans();
    try {
      cmd->Execute();
    } catch (...) {
      connection_->RollbackTrans();
      throw;
    }
    connection_->RollbackTrans();
  }

  testing_support::TempDir dir_;
  std::unique_ptr<TestDatabase> database_;
  com::Ptr<ado::Connection> connection_;
};

// Every procedure takes exactly the table's inputs on the run's provider: all of them
// (null, the lenient reading) are accepted, one fewer is refused before anything runs.
TEST_F(ProcedureSignatureTest, EveryProcedureTakesTheTablesInputs) {
  for (const database::ProcedureSignature* s : database::kProcedureSignatures) {
    SCOPED_TRACE(std::string(s->name));
    if (!TestDatabase::IsPostgres()) {
      EXPECT_NE(ado::FindProcedure("SQLite", s->name), nullptr);
    }
    EXPECT_NO_THROW(CallWithNulls(*s, s->inputs.size()));
    try {
      CallWithNulls(*s, s->inputs.size() - 1);
      ADD_FAILURE() << "one input short was accepted";
    } catch (const com::Error& e) {
      if (!TestDatabase::IsPostgres()) {
        EXPECT_NE(e.description().find("需要 " + std::to_string(s->inputs.size()) + " 个参数"), std::string::npos)
            << e.description();
      }
    }
  }
}

TEST_F(ProcedureSignatureTest, NamesAreFoundWithoutRegardToCase) {
  EXPECT_EQ(database::FindProcedureSignature("usp_mo_updmoqty"), &database::kUpdMoQty);
  EXPECT_EQ(database::FindProcedureSignature("USP_MP_GETATONETDEMAND"), &database::kGetAtoNetDemand);
  EXPECT_EQ(database::FindProcedureSignature("Usp_MO_UpdMoQty2"), nullptr);
}

struct CatalogParameter {
  std::string mode, name, type;
  bool operator==(const CatalogParameter&) const = default;
};
std::ostream& operator<<(std::ostream& os, const CatalogParameter& p) {
  return os << p.mode << " " << p.name << " " << p.type;
}

struct CatalogFunction {
  std::string result_type;
  std::vector<CatalogParameter> parameters;
  int overloads = 0;
};

// The usp_ functions of the database as the server's catalog lists them.
std::map<std::string, CatalogFunction> CatalogFunctions(ado::Connection& c) {
  com::Ptr<ado::Recordset> rs = c.Execute(
      "SELECT r.specific_name AS sn, r.routine_name AS rn, r.data_type AS rt, p.ordinal_position AS op, "
      "p.parameter_mode AS pm, p.parameter_name AS pn, p.data_type AS pt "
      "FROM information_schema.routines r "
      "LEFT JOIN information_schema.parameters p "
      "  ON p.specific_schema = r.specific_schema AND p.specific_name = r.specific_name "
      "WHERE r.routine_schema = current_schema() AND left(r.routine_name, 4) = 'usp_' "
      "ORDER BY r.routine_name, r.specific_name, p.ordinal_position");
  std::map<std::string, CatalogFunction> functions;
  std::set<std::string> seen;
  for (; !rs->Eof(); rs->MoveNext()) {
    auto text = [&](const char* field) {
      const com::Variant v = rs->fields().Item(field).Value();
      return v.is_null() ? std::string() : v.ToString();
    };
    CatalogFunction& f = functions[text("rn")];
    if (seen.insert(text("sn")).second) ++f.overloads;
    f.result_type = text("rt");
    if (!text("pn").empty()) f.parameters.push_back({text("pm"), text("pn"), text("pt")});
  }
  return functions;
}

// The PL/pgSQL functions are the table's procedures, no more, each once, with the
// table's inputs in order (names in lower case, the server's types for the callers'),
// and (return_value, result) for those that hand back rows.
TEST_F(ProcedureSignatureTest, PostgresFunctionsAreTheTablesProcedures) {
  if (!TestDatabase::IsPostgres()) GTEST_SKIP() << "the server's catalog";
  std::map<std::string, CatalogFunction> functions = CatalogFunctions(*connection_);
  std::set<std::string> expected_names;
  for (const database::ProcedureSignature* s : database::kProcedureSignatures) {
    const std::string name = ado::AsciiLower(s->name);
    expected_names.insert(name);
    SCOPED_TRACE(name);
    auto it = functions.find(name);
    ASSERT_NE(it, functions.end());
    std::vector<CatalogParameter> expected;
    for (const database::ProcedureParameter& p : s->inputs)
      expected.push_back({"IN", ado::AsciiLower(p.name), database::PostgresTypeName(p)});
    if (s->returns_rows) {
      expected.push_back({"OUT", "return_value", "integer"});
      expected.push_back({"OUT", "result", "refcursor"});
    }
    EXPECT_EQ(it->second.parameters, expected);
    EXPECT_EQ(it->second.result_type, s->returns_rows ? "record" : "integer");
    EXPECT_EQ(it->second.overloads, 1);
  }
  std::set<std::string> actual_names;
  for (const auto& [name, f] : functions) actual_names.insert(name);
  EXPECT_EQ(actual_names, expected_names);
}

// The README's table is the generated one; on a difference, the expected text is
// printed to be pasted in.
TEST(ProcedureTable, ReadmeHoldsTheGeneratedTable) {
  const std::string readme = MomDatabaseReadmeText();
  const std::string table = database::ProcedureTableMarkdown();
  EXPECT_NE(readme.find(table), std::string::npos) << "database/README.md should hold:\n" << table;
}

}  // namespace
