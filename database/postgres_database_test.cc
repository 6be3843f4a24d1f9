// The manufacturing database on a PostgreSQL server: creation, row versions, the
// spellings table, the flag operators, and the PL/pgSQL procedures answering as their
// SQLite counterparts do. Needs MOM_TEST_PG, the base connection string of a server
// (scripts/pg_cluster.sh prints one); skipped without it.

#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <future>
#include <string>
#include <vector>

#include "database/manufacturing_db.h"
#include "database/postgres_database.h"
#include "database/procedure_signatures.h"
#include "database/schema_identifiers.h"
#include "platform/ado/command.h"
#include "platform/ado/connection.h"
#include "platform/ado/connection_string.h"
#include "platform/ado/field.h"
#include "platform/ado/recordset.h"
#include "platform/com/date.h"
#include "platform/com/error.h"
#include "testing/test_database.h"
#include "testing/test_support.h"

namespace {

std::string ServerBase() {
  const char* base = std::getenv("MOM_TEST_PG");
  return base ? base : "";
}

// A database name of this process, so that parallel runs do not meet.
std::string DatabaseName(const std::string& what) { return "mom_test_" + what + "_" + std::to_string(::getpid()); }

std::string Target(const std::string& name) { return ServerBase() + ";Database=" + name; }

com::Ptr<ado::Connection> Connect(const std::string& connection_string) {
  com::Ptr<ado::Connection> c = ado::Connection::Create();
  c->Open(connection_string);
  return c;
}

// Values of the first column of every row, as text ("NULL" for null). Numbers are
// printed with six decimals so that SQLite's reals and the server's numerics compare.
std::string Text(const com::Variant& v) {
  if (v.is_null() || v.is_empty()) return "NULL";
  switch (v.type()) {
    case com::VarType::I2: case com::VarType::I4: case com::VarType::I8: case com::VarType::UI1:
    case com::VarType::R8: case com::VarType::Currency: {
      char buf[64];
      std::snprintf(buf, sizeof buf, "%.6f", v.ToR8());
      return buf;
    }
    case com::VarType::Bool: return v.ToBool() ? "1.000000" : "0.000000";
    default: return v.ToString();
  }
}

// Every row of a recordset, each field as "Name=value"; fields named in `skip` left out.
std::vector<std::string> Rows(ado::Recordset* rs, const std::vector<std::string>& skip = {}) {
  std::vector<std::string> rows;
  if (!rs || rs->State() != ado::adStateOpen) return rows;
  for (; !rs->Eof(); rs->MoveNext()) {
    std::string row;
    for (int32_t i = 0; i < rs->fields().Count(); ++i) {
      const ado::Field& f = rs->fields().Item(i);
      bool skipped = false;
      for (const std::string& s : skip) skipped = skipped || s == f.Name();
      if (!skipped) row += f.Name() + "=" + Text(f.Value()) + " ";
    }
    rows.push_back(row);
  }
  return rows;
}

std::vector<std::string> Query(ado::Connection& c, const std::string& sql) {
  com::Ptr<ado::Recordset> rs = c.Execute(sql);
  return Rows(rs.get());
}

// The token a statement "SELECT convert(...) AS t ..." reads: its one value as the
// component receives it, without the "t=" and the separator Rows adds.
std::string TokenOf(ado::Connection& c, const std::string& sql) {
  const std::string row = Query(c, sql).front();
  return row.substr(2, row.size() - 3);
}

// These run in the PostgreSQL run of the suite only; the SQLite run has nothing to add.
bool Enabled() { return testing_support::TestDatabase::IsPostgres() && !ServerBase().empty(); }

class PostgresDatabaseTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    if (!Enabled()) return;
    database::CreateDatabase(Target(SampleName()), /*with_sample=*/true, /*overwrite=*/true);
  }
  static void TearDownTestSuite() {
    if (!Enabled()) return;
    Connect(Target("postgres"))
        ->Execute("DROP DATABASE IF EXISTS \"" + SampleName() + "\" WITH (FORCE)", nullptr, ado::adExecuteNoRecords);
  }
  static std::string SampleName() { return DatabaseName("sample"); }

  void SetUp() override {
    if (!Enabled()) GTEST_SKIP() << "for the PostgreSQL run, with MOM_TEST_PG set";
    db_ = Connect(Target(SampleName()));
  }

  std::string One(const std::string& sql) {
    auto rows = Query(*db_, sql);
    return rows.empty() ? "" : rows.front();
  }

  com::Ptr<ado::Connection> db_;
};

TEST_F(PostgresDatabaseTest, CreationRefusesAnExistingDatabaseAndOverwriteReplacesIt) {
  const std::string name = DatabaseName("create");
  const std::string target = Target(name);
  database::CreateDatabase(target, /*with_sample=*/false, /*overwrite=*/true);
  {
    com::Ptr<ado::Connection> first = Connect(target);
    first->Execute("CREATE TABLE left_behind (id integer)", nullptr, ado::adExecuteNoRecords);
    EXPECT_EQ(Query(*first, "SELECT count(*) AS n FROM mom_order"), std::vector<std::string>{"n=0.000000 "});
    try {
      database::CreateDatabase(target, false, false);
      ADD_FAILURE() << "an existing database was not refused";
    } catch (const com::Error& e) {
      EXPECT_EQ(e.number(), database::kErrDatabaseExists);
    }
    // Still the same database, still usable.
    EXPECT_NO_THROW(first->Execute("SELECT * FROM left_behind"));
    // Overwriting ends this open session and makes a fresh database.
    database::CreateDatabase(target, /*with_sample=*/true, /*overwrite=*/true);
  }
  com::Ptr<ado::Connection> second = Connect(target);
  EXPECT_THROW(second->Execute("SELECT * FROM left_behind"), com::Error);
  EXPECT_EQ(Query(*second, "SELECT MoCode FROM mom_order WHERE MoId = 101"), std::vector<std::string>{"MoCode=SMO0001 "});
  // Identities were moved past the sample's ids.
  second->Execute("INSERT INTO mom_order (MoCode) VALUES ('NEW1')", nullptr, ado::adExecuteNoRecords);
  EXPECT_EQ(Query(*second, "SELECT MoId FROM mom_order WHERE MoCode = 'NEW1'"), std::vector<std::string>{"MoId=104.000000 "});
  second->Close();
  Connect(Target("postgres"))->Execute("DROP DATABASE \"" + name + "\" WITH (FORCE)", nullptr, ado::adExecuteNoRecords);
}

TEST_F(PostgresDatabaseTest, RowVersionsComeFromOneSequenceAndEveryWriteTakesOne) {
  db_->BeginTrans();
  const int64_t before = std::stoll(Query(*db_, "SELECT value FROM sys_rowversion").front().substr(6));
  db_->Execute("INSERT INTO sfc_optransform (DocCode) VALUES ('OPM9')", nullptr, ado::adExecuteNoRecords);
  db_->Execute("UPDATE mom_order SET MoCode = MoCode WHERE MoId = 101", nullptr, ado::adExecuteNoRecords);  // no-op
  db_->Execute("UPDATE mps_netdemand SET Krts = 1 WHERE DemandId = 6001", nullptr, ado::adExecuteNoRecords);
  EXPECT_EQ(One("SELECT Krts FROM sfc_optransform WHERE DocCode = 'OPM9'"), "Krts=" + Text(com::Variant(before + 1)) + " ");
  EXPECT_EQ(One("SELECT Krts FROM mom_order WHERE MoId = 101"), "Krts=" + Text(com::Variant(before + 2)) + " ");
  // A statement cannot set a version of its own.
  EXPECT_EQ(One("SELECT Krts FROM mps_netdemand WHERE DemandId = 6001"), "Krts=" + Text(com::Variant(before + 3)) + " ");
  EXPECT_EQ(One("SELECT value FROM sys_rowversion"), "value=" + Text(com::Variant(before + 3)) + " ");
  EXPECT_EQ(One("SELECT mom_token_matches('0.2001   ', 2001) AS a, mom_token_matches('  ', 5) AS b, "
                "mom_token_matches(NULL, 5) AS c, mom_token_matches('0.2001', 2002) AS d"),
            "a=1.000000 b=1.000000 c=1.000000 d=0.000000 ");
  db_->RollbackTrans();
}

TEST_F(PostgresDatabaseTest, SampleRowsHaveTheVersionsTheyHaveOnSqlite) {
  testing_support::TempDir dir;
  const std::string path = dir.path() + "/sample.db";
  database::CreateDatabase(path, true, false);
  com::Ptr<ado::Connection> sqlite = Connect(ado::ConnectionString::ForSqliteFile(path));
  for (const char* sql : {"SELECT MoDId, Krts FROM mom_orderdetail ORDER BY MoDId",
                          "SELECT AllocateId, Krts FROM mom_moallocate ORDER BY AllocateId",
                          "SELECT DemandId, Krts FROM mps_netdemand ORDER BY DemandId",
                          "SELECT autoid, Krts FROM ex_orderdetail ORDER BY autoid"})
    EXPECT_EQ(Query(*db_, sql), Query(*sqlite, sql)) << sql;
}

TEST_F(PostgresDatabaseTest, SysIdentifierHoldsEveryColumnSpelling) {
  EXPECT_EQ(One("SELECT count(*) AS n FROM sys_identifier"),
            "n=" + Text(com::Variant(static_cast<int64_t>(database::SchemaColumnNames().size()))) + " ");
  for (const char* name : {"MoDId", "QualifiedInQty", "crdqty", "cInvCode", "OffSet"})
    EXPECT_EQ(One(std::string("SELECT count(*) AS n FROM sys_identifier WHERE name = '") + name + "'"),
              "n=1.000000 ")
        << name;
}

TEST_F(PostgresDatabaseTest, FlagsCompareWithIntegers) {
  EXPECT_EQ(One("SELECT count(*) AS n FROM sfc_moroutingdetail WHERE LastFlag = 1"), "n=4.000000 ");
  EXPECT_EQ(One("SELECT count(*) AS n FROM sfc_moroutingdetail WHERE 0 = LastFlag"), "n=2.000000 ");
  EXPECT_EQ(One("SELECT count(*) AS n FROM mom_moallocate WHERE DeleteFlag <> 0"), "n=1.000000 ");
  EXPECT_EQ(One("SELECT count(*) AS n FROM mom_moallocate WHERE 1 <> ByproductFlag"), "n=12.000000 ");
}

// ---------------------------------------------------------------- procedure parity

using Procedure = database::ProcedureSignature;
const Procedure* const kOpTransform = &database::kUpdOpTransformDecQty;
const Procedure* const kRoutingQty = &database::kUpdMRoutingQty;
const Procedure* const kMoQty = &database::kUpdMoQty;
const Procedure* const kAllocateQty = &database::kUpdMoAllocateTxQty;
const Procedure* const kBackflush = &database::kGetMoBFAllocate;
const Procedure* const kAtoDemand = &database::kGetAtoNetDemand;
const Procedure* const kGenerate = &database::kGenMoFromSo;

const com::Variant kNull = com::Variant::Null();
com::Variant Day(int year, int month, int day) { return com::DateFromCivil({year, month, day, 0, 0, 0}); }
// Stands for the current token of the case's row, read on each side before the call.
const com::Variant kCurrentToken(std::string("<current>"));

std::vector<com::Variant> Generation(const char* code, int32_t line, const char* item, std::vector<com::Variant> frees,
                                     double qty, uint8_t so_type) {
  std::vector<com::Variant> in = {std::string("001"), std::string(code), line, kNull, std::string(item)};
  frees.resize(10, kNull);
  in.insert(in.end(), frees.begin(), frees.end());
  for (com::Variant more : {com::Variant(qty), Day(2024, 4, 1), com::Variant(std::string("demo")), Day(2024, 3, 20),
                            kNull, com::Variant(so_type), com::Variant(std::string("SO")), com::Variant(0), kNull, kNull})
    in.push_back(more);
  return in;
}

struct ParityCase {
  const char* what;
  const Procedure* procedure;
  std::vector<com::Variant> inputs;
  int32_t expected;
  const char* token_sql = nullptr;  // reads the token that kCurrentToken stands for
  std::vector<const char*> after = {};  // read on both sides after the call
};

const std::vector<ParityCase>& ParityCases() {
  static const std::vector<ParityCase> cases = {
      {"operation move", kOpTransform, {4101, 1.5, kCurrentToken}, 0,
       "sfc_optransformdetail WHERE OpMdId = 4101",
       {"SELECT Qty, convert(char,convert(money,Krts),2) AS t FROM sfc_optransformdetail WHERE OpMdId = 4101",
        "SELECT TransOutQty FROM sfc_moroutingdetail WHERE MoRoutingDId = 3001"}},
      {"operation move, stale token", kOpTransform, {4101, 1.5, std::string("0.0001")}, 90001},
      {"finished at the last operation", kRoutingQty, {uint8_t{6}, 3003, 2, kCurrentToken}, 0,
       "sfc_moroutingdetail WHERE MoRoutingDId = 3003",
       {"SELECT CompleteQty, QualifiedQty, ScrapQty FROM sfc_moroutingdetail WHERE MoRoutingDId = 3003"}},
      {"routing scrap", kRoutingQty, {uint8_t{2}, 3002, kNull, std::string("")}, 0, nullptr,
       {"SELECT ScrapQty, convert(char,convert(money,Krts),2) AS t FROM sfc_moroutingdetail WHERE MoRoutingDId = 3002"}},
      {"unknown routing type", kRoutingQty, {uint8_t{7}, 3003, 1, std::string("")}, 90002},
      {"routing of a closed line", kRoutingQty, {uint8_t{1}, 3021, 1, std::string("")}, 90004},
      {"receipt over the order", kMoQty, {uint8_t{1}, 1001, 9, true, std::string(""), kNull}, 90006},
      {"receipt below zero", kMoQty, {uint8_t{1}, 1001, -3, false, std::string(""), kNull}, 90011},
      {"inspection over the order", kMoQty, {uint8_t{2}, 1001, 8, true, std::string(""), kNull}, 90015},
      {"receipt", kMoQty, {uint8_t{1}, 1001, 2.25, true, kCurrentToken, Day(2024, 3, 9)}, 0,
       "mom_orderdetail WHERE MoDId = 1001",
       {"SELECT QualifiedInQty, LastInDate, convert(char,convert(money,Krts),2) AS t FROM mom_orderdetail "
        "WHERE MoDId = 1001"}},
      {"receipt on a closed line", kMoQty, {uint8_t{1}, 1003, 1, false, std::string(""), kNull}, 90004},
      {"issue of a deleted component", kAllocateQty, {uint8_t{1}, 5008, 1, true, std::string("")}, 90005},
      {"issue over the plan", kAllocateQty, {uint8_t{1}, 5001, 7, true, std::string("")}, 90007},
      {"return over the issue", kAllocateQty, {uint8_t{1}, 5001, -5, false, std::string("")}, 90009},
      {"inspection of a component", kAllocateQty, {uint8_t{2}, 5002, 3.5, kNull, kCurrentToken}, 0,
       "mom_moallocate WHERE AllocateId = 5002",
       {"SELECT InspQty, IssQty, convert(char,convert(money,Krts),2) AS t FROM mom_moallocate WHERE AllocateId = 5002"}},
      {"backflush lines", kBackflush, {1001, 4}, 0},
      {"backflush of a reversal", kBackflush, {1001, -2}, 0},
      {"backflush without a warehouse", kBackflush, {1004, 1}, 1019992},
      {"backflush of no line", kBackflush, {9999, 1}, 90001},
      {"ATO net demand", kAtoDemand, {0, false, 0, kNull, uint8_t{1}, 8113, false}, 0},
      {"ATO credit taken back", kAtoDemand, {0, true, 0, kNull, uint8_t{1}, 8103, false}, 0},
      {"ATO of an external line", kAtoDemand, {0, false, 0, kNull, uint8_t{3}, 8613, false}, 0},
      {"MO from a sales line", kGenerate, Generation("MO0000042 ", 8121, "FG001", {}, 4, 1), 0, nullptr,
       {"SELECT d.InvCode, d.BomId, d.Qty, d.Status, d.SoType, d.SoCode, d.SoSeq, d.DueDate, "
        "convert(char,convert(money,d.Krts),2) AS t FROM mom_orderdetail d JOIN mom_order o ON o.MoId = d.MoId "
        "WHERE o.MoCode = 'MO0000042'",
        "SELECT a.SortSeq, a.InvCode, a.Qty, a.WIPType, a.ByproductFlag, a.WhCode FROM mom_moallocate a "
        "JOIN mom_orderdetail d ON d.MoDId = a.MoDId JOIN mom_order o ON o.MoId = d.MoId "
        "WHERE o.MoCode = 'MO0000042' ORDER BY a.SortSeq",
        "SELECT NextNumber FROM sys_doccode"}},
      {"MO from an external line", kGenerate,
       Generation("EXMO1", 8611, "FG002", {std::string("红色"), std::string("26寸")}, 4, 3), 0, nullptr,
       {"SELECT d.PartId, d.BomId, d.SoType, d.SoCode, d.Free1, d.Free2 FROM mom_orderdetail d "
        "JOIN mom_order o ON o.MoId = d.MoId WHERE o.MoCode = 'EXMO1'",
        "SELECT NextNumber FROM sys_doccode"}},
      {"MO code taken", kGenerate, Generation("SMO0001", 8121, "FG001", {}, 4, 1), 90022},
      {"MO of an item without a bill", kGenerate, Generation("MO0000050", 8123, "CP001", {}, 10, 1), 90010},
      {"MO with a blank code", kGenerate, Generation("   ", 8121, "FG001", {}, 4, 1), 90002},
  };
  return cases;
}

struct Outcome {
  int32_t code = -1;
  std::vector<std::string> rows;
  std::vector<std::vector<std::string>> after;
};

// Calls the case's procedure as the components do; the rows it returns go to `rows`.
int32_t Call(ado::Connection& c, const ParityCase& k, std::vector<std::string>* rows = nullptr) {
  std::vector<com::Variant> inputs = k.inputs;
  for (com::Variant& v : inputs)
    if (v.type() == com::VarType::String && v.ToString() == "<current>")
      v = TokenOf(c, std::string("SELECT convert(char,convert(money,Krts),2) AS t FROM ") + k.token_sql);
  com::Ptr<ado::Command> cmd = ado::Command::Create();
  cmd->SetActiveConnection(com::Ptr<ado::Connection>(&c));
  cmd->command_text = std::string(k.procedure->name);
  cmd->command_type = ado::adCmdStoredProc;
  cmd->parameters().Append(cmd->CreateParameter("Return", ado::adInteger, ado::adParamReturnValue));
  for (size_t i = 0; i < inputs.size(); ++i) {
    const database::ProcedureParameter& def = k.procedure->inputs[i];
    com::Ptr<ado::Parameter> p =
        cmd->CreateParameter(std::string(def.name), def.type, ado::adParamInput, def.size, inputs[i]);
    if (def.type == ado::adDecimal) {
      p->precision = def.precision;
      p->numeric_scale = def.scale;
    }
    cmd->parameters().Append(p);
  }
  com::Ptr<ado::Recordset> rs = cmd->Execute();
  if (rows) *rows = Rows(rs.get(), {"Date"});  // the time of the call
  return cmd->parameters().Item(0).value.ToI4();
}

// Calls and reads what the call left, inside a transaction that is rolled back so that
// every case starts from the sample.
Outcome CallAndRead(ado::Connection& c, const ParityCase& k) {
  c.BeginTrans();
  Outcome out;
  out.code = Call(c, k, &out.rows);
  // The tokens written are left out: the server's sequence does not go back with a
  // rolled-back transaction, so the two databases' versions part after the first case.
  for (const char* sql : k.after) out.after.push_back(Rows(c.Execute(sql).get(), {"t"}));
  c.RollbackTrans();
  return out;
}

// Two callers holding the same token: the second waits for the first to commit and
// then finds the row changed, so exactly one write lands.
TEST_F(PostgresDatabaseTest, ConcurrentWriteBacksWithOneTokenLandOnce) {
  const std::string token =
      TokenOf(*db_, "SELECT convert(char,convert(money,Krts),2) AS t FROM mom_orderdetail WHERE MoDId = 1002");
  const ParityCase receipt{"receipt", kMoQty, {uint8_t{1}, 1002, 1, true, token, kNull}, 0};
  com::Ptr<ado::Connection> first = Connect(Target(SampleName()));
  first->BeginTrans();
  const int32_t first_code = Call(*first, receipt);
  std::future<int32_t> second = std::async(std::launch::async, [&] {
    com::Ptr<ado::Connection> other = Connect(Target(SampleName()));
    return Call(*other, receipt);
  });
  EXPECT_EQ(second.wait_for(std::chrono::milliseconds(300)), std::future_status::timeout);
  first->CommitTrans();
  EXPECT_EQ(first_code, 0);
  EXPECT_EQ(second.get(), 90001);
  EXPECT_EQ(One("SELECT QualifiedInQty FROM mom_orderdetail WHERE MoDId = 1002"), "QualifiedInQty=1.000000 ");
  db_->Execute("UPDATE mom_orderdetail SET QualifiedInQty = 0 WHERE MoDId = 1002", nullptr, ado::adExecuteNoRecords);
}

TEST_F(PostgresDatabaseTest, ProceduresAnswerAsOnSqlite) {
  testing_support::TempDir dir;
  const std::string path = dir.File("parity.db");
  database::CreateDatabase(path, true, false);
  com::Ptr<ado::Connection> sqlite = Connect(ado::ConnectionString::ForSqliteFile(path));
  for (const ParityCase& k : ParityCases()) {
    SCOPED_TRACE(k.what);
    const Outcome expected = CallAndRead(*sqlite, k);
    const Outcome actual = CallAndRead(*db_, k);
    EXPECT_EQ(expected.code, k.expected);
    EXPECT_EQ(actual.code, expected.code);
    EXPECT_EQ(actual.rows, expected.rows);
    EXPECT_EQ(actual.after, expected.after);
  }
}

}  // namespace
