// The quantity journal on the run's database: what each procedure records, that a
// refused or rolled-back call records nothing, that verify finds a counter changed
// behind the procedures' back, and that a long random run leaves no drift.

#include <gtest/gtest.h>

#include <memory>
#include <random>
#include <string>
#include <vector>

#include "database/database_test_support.h"
#include "database/journal_replay.h"
#include "database/manufacturing_db.h"
#include "database/quantity_journal.h"
#include "platform/ado/command.h"
#include "platform/ado/connection.h"
#include "platform/ado/recordset.h"
#include "platform/com/date.h"
#include "platform/com/error.h"
#include "testing/test_database.h"
#include "testing/test_support.h"

namespace {

using database_testing::DirectConnection;
using database_testing::SqliteFile;
using testing_support::TestDatabase;

struct Param {
  const char* name;
  ado::DataType type;
  int32_t size = 0;
};
struct Procedure {
  const char* name;
  std::vector<Param> inputs;
  const char* table;  // the row whose token is passed
  const char* key;
  size_t key_input;
};

const Param kQty{"fNetChgQty", ado::adDecimal};
const Param kToken{"Krts", ado::adVarChar, 30};
const Param kType{"Type", ado::adUnsignedTinyInt};
const Procedure kOpMove{"Usp_SF_UpdOpTransformDecQty", {{"iOpMdId", ado::adInteger}, kQty, kToken},
                        "sfc_optransformdetail", "OpMdId", 0};
const Procedure kRouting{"Usp_SF_UpdMRoutingQty", {kType, {"MoRoutingDId", ado::adInteger}, kQty, kToken},
                         "sfc_moroutingdetail", "MoRoutingDId", 1};
const Procedure kMoQty{"Usp_MO_UpdMoQty",
                       {kType, {"iMoDId", ado::adInteger}, kQty, {"IsChk", ado::adBoolean}, kToken,
                        {"CurDate", ado::adDBTimeStamp}},
                       "mom_orderdetail", "MoDId", 1};
const Procedure kAllocation{"Usp_MO_UpdMoAllocateTxQty",
                            {kType, {"MoAllocateId", ado::adInteger}, kQty, {"bChk", ado::adBoolean}, kToken},
                            "mom_moallocate", "AllocateId", 1};

const com::Variant kNull = com::Variant::Null();
const com::Variant kToday = com::DateFromCivil({2024, 5, 6, 0, 0, 0});

// The journal's columns that do not depend on the clock, the session or the
// database's row-version numbers.
constexpr char kJournalRows[] =
    "SELECT ProcName, TypeCode, TableName, RowKey, ColumnName, QtyBefore, QtyAfter, QtyChange "
    "FROM sys_qtyjournal ORDER BY JournalId";

std::string Render(const std::vector<std::vector<std::string>>& rows) {
  std::string out;
  for (const auto& r : rows) {
    for (size_t i = 0; i < r.size(); ++i) out += (i ? " " : "") + r[i];
    out += "\n";
  }
  return out;
}

class QuantityJournalTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (std::string why = TestDatabase::Unavailable(); !why.empty()) GTEST_SKIP() << why;
    database_ = std::make_unique<TestDatabase>(dir_);
    connection_ = ado::Connection::Create();
    connection_->Open(database_->connection_string());
    direct_ = std::make_unique<DirectConnection>(database_->connection_string());
  }

  std::string TokenOf(const Procedure& p, int64_t id) {
    com::Ptr<ado::Recordset> rs = connection_->Execute(std::string("SELECT convert(char,convert(money,Krts),2) FROM ") +
                                                       p.table + " WHERE " + p.key + " = " + std::to_string(id));
    return rs->Eof() ? "" : rs->fields().Item(0).Value().ToString();
  }

  // Calls the procedure with the row's current token in place of the Krts input.
  int32_t Call(const Procedure& p, std::vector<com::Variant> inputs, bool stale_token = false) {
    for (size_t i = 0; i < p.inputs.size(); ++i)
      if (std::string(p.inputs[i].name) == "Krts")
        inputs.insert(inputs.begin() + static_cast<std::ptrdiff_t>(i),
                      stale_token ? com::Variant("0.0001") : com::Variant(TokenOf(p, inputs[p.key_input].ToI8())));
    com::Ptr<ado::Command> cmd = ado::Command::Create();
    cmd->SetActiveConnection(connection_);
    cmd->command_text = p.name;
    cmd->command_type = ado::adCmdStoredProc;
    cmd->parameters().Append(cmd->CreateParameter("Return", ado::adInteger, ado::adParamReturnValue));
    for (size_t i = 0; i < inputs.size(); ++i) {
      const Param& def = p.inputs[i];
      com::Ptr<ado::Parameter> param = cmd->CreateParameter(def.name, def.type, ado::adParamInput, def.size, inputs[i]);
      if (def.type == ado::adDecimal) {
        param->precision = 28;
        param->numeric_scale = 6;
      }
      cmd->parameters().Append(param);
    }
    cmd->Execute(nullptr, ado::adExecuteNoRecords);
    return cmd->parameters().Item(0).value.ToI4();
  }

  std::string Journal() { return Render(direct_->Rows(kJournalRows)); }
  int64_t JournalRows() { return direct_->Int("SELECT count(*) FROM sys_qtyjournal"); }

  testing_support::TempDir dir_;
  std::unique_ptr<TestDatabase> database_;
  com::Ptr<ado::Connection> connection_;
  std::unique_ptr<DirectConnection> direct_;
};

TEST_F(QuantityJournalTest, EachWriteBackRecordsWhatItChanged) {
  struct Case {
    const char* what;
    const Procedure* procedure;
    std::vector<com::Variant> inputs;  // without the token
    const char* journal;
  };
  const Case cases[] = {
      {"operation move", &kOpMove, {4101, -1.5},
       "Usp_SF_UpdOpTransformDecQty NULL sfc_optransformdetail 4101 Qty 6 4.5 -1.5\n"
       "Usp_SF_UpdOpTransformDecQty NULL sfc_moroutingdetail 3001 TransOutQty 6 4.5 -1.5\n"},
      {"routing, qualified", &kRouting, {1, 3002, 2.25},
       "Usp_SF_UpdMRoutingQty 1 sfc_moroutingdetail 3002 QualifiedQty 5 7.25 2.25\n"},
      {"routing, finished at the last operation", &kRouting, {6, 3003, 1},
       "Usp_SF_UpdMRoutingQty 6 sfc_moroutingdetail 3003 CompleteQty 3 4 1\n"
       "Usp_SF_UpdMRoutingQty 6 sfc_moroutingdetail 3003 QualifiedQty 3 4 1\n"},
      {"receipt", &kMoQty, {1, 1001, 3, false, kToday},
       "Usp_MO_UpdMoQty 1 mom_orderdetail 1001 QualifiedInQty 2 5 3\n"},
      {"inspection reported", &kMoQty, {2, 1001, -1, false, kToday},
       "Usp_MO_UpdMoQty 2 mom_orderdetail 1001 DeclaredQty 3 2 -1\n"},
      {"issue", &kAllocation, {1, 5001, 0.125, true},
       "Usp_MO_UpdMoAllocateTxQty 1 mom_moallocate 5001 IssQty 4 4.125 0.125\n"},
      {"inspected component", &kAllocation, {2, 5001, 1, false},
       "Usp_MO_UpdMoAllocateTxQty 2 mom_moallocate 5001 InspQty 0 1 1\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    direct_->Exec("DELETE FROM sys_qtyjournal");
    const int64_t key = c.inputs[c.procedure->key_input].ToI8();
    const int64_t version_before = direct_->Int(std::string("SELECT Krts FROM ") + c.procedure->table + " WHERE " +
                                                c.procedure->key + " = " + std::to_string(key));
    ASSERT_EQ(Call(*c.procedure, c.inputs), 0);
    EXPECT_EQ(Journal(), c.journal);
    // The token row: its version before and after, and who made the change.
    const auto row = direct_->Rows(std::string("SELECT KrtsBefore, KrtsAfter, SessionUser, AppName, ChangedAt FROM "
                                               "sys_qtyjournal WHERE TableName = '") +
                                   c.procedure->table + "' ORDER BY JournalId");
    ASSERT_FALSE(row.empty());
    EXPECT_EQ(row[0][0], std::to_string(version_before));
    EXPECT_EQ(row[0][1], direct_->Text(std::string("SELECT Krts FROM ") + c.procedure->table + " WHERE " +
                                       c.procedure->key + " = " + std::to_string(key)));
    EXPECT_NE(row[0][2], "NULL");
    EXPECT_NE(row[0][2], "");
    EXPECT_NE(row[0][3], "NULL");
    EXPECT_EQ(row[0][4].size(), 23u) << row[0][4];  // YYYY-MM-DD HH:MM:SS.fff
  }
}

TEST_F(QuantityJournalTest, RefusedOrRolledBackCallsLeaveNoRow) {
  EXPECT_EQ(Call(kMoQty, {1, 1001, 3, false, kToday}, /*stale_token=*/true), database::kRowChanged);
  EXPECT_EQ(Call(kMoQty, {1, 1001, 100, true, kToday}), database::kReceiptExceedsOrder);
  EXPECT_EQ(Call(kAllocation, {1, 5001, -50, false}), database::kReturnExceedsIssued);
  EXPECT_EQ(Call(kRouting, {9, 3003, 1}), database::kFailed);
  EXPECT_EQ(Call(kMoQty, {1, 1003, 1, false, kToday}), database::kOrderClosed);
  EXPECT_EQ(JournalRows(), 0);

  connection_->BeginTrans();
  ASSERT_EQ(Call(kMoQty, {1, 1001, 3, false, kToday}), 0);
  ASSERT_EQ(Call(kOpMove, {4101, -1}), 0);
  connection_->RollbackTrans();
  EXPECT_EQ(JournalRows(), 0);

  connection_->BeginTrans();
  ASSERT_EQ(Call(kMoQty, {1, 1001, 3, false, kToday}), 0);
  connection_->CommitTrans();
  EXPECT_EQ(JournalRows(), 1);
}

TEST_F(QuantityJournalTest, VerifyFindsACounterChangedBehindTheProceduresBack) {
  ASSERT_EQ(Call(kMoQty, {1, 1001, 3, false, kToday}), 0);
  ASSERT_EQ(Call(kAllocation, {1, 5001, 1, false}), 0);
  database::VerifyReport report = database::VerifyJournal(*connection_);
  EXPECT_EQ(report.counters, 2);
  EXPECT_TRUE(report.drifts.empty());

  // Changed after the last journalled change, and between two of them.
  direct_->Exec("UPDATE mom_orderdetail SET QualifiedInQty = QualifiedInQty + 1 WHERE MoDId = 1001");
  direct_->Exec("UPDATE mom_moallocate SET IssQty = 0 WHERE AllocateId = 5001");
  ASSERT_EQ(Call(kAllocation, {1, 5001, 2, false}), 0);
  report = database::VerifyJournal(*connection_);
  ASSERT_EQ(report.drifts.size(), 2u);
  std::string seen;
  for (const database::CounterDrift& d : report.drifts)
    seen += d.table + " " + std::to_string(d.row) + " " + d.column + " journal " + std::to_string(d.journal_value) +
            " current " + std::to_string(d.current_value) + (d.break_at ? " broken" : "") + " | " + d.documents + "\n";
  EXPECT_EQ(seen,
            "mom_moallocate 5001 IssQty journal 2.000000 current 2.000000 broken | material issues and returns "
            "(材料出库单) of component CP001 of order SMO0001 line 1\n"
            "mom_orderdetail 1001 QualifiedInQty journal 5.000000 current 6.000000 | product receipts (产成品入库单) "
            "of order SMO0001 line 1\n");
}

// The crediting is the component's own statement, with ModifyFlag = 1; crdqty set on
// its own is a change outside the journal.
TEST_F(QuantityJournalTest, TheNetDemandCreditingIsJournalledAndAHandFixIsNot) {
  direct_->Exec("UPDATE mps_netdemand SET crdqty = crdqty + 2, ModifyFlag = 1 WHERE DemandId = 6001");
  EXPECT_EQ(Journal(), "CreditAtoNetDemand NULL mps_netdemand 6001 crdqty 0 2 2\n");
  EXPECT_EQ(direct_->Text("SELECT KrtsAfter FROM sys_qtyjournal"),
            direct_->Text("SELECT Krts FROM mps_netdemand WHERE DemandId = 6001"));
  EXPECT_TRUE(database::VerifyJournal(*connection_).drifts.empty());
  direct_->Exec("UPDATE mps_netdemand SET crdqty = 5 WHERE DemandId = 6001");
  EXPECT_EQ(JournalRows(), 1);
  const database::VerifyReport report = database::VerifyJournal(*connection_);
  ASSERT_EQ(report.drifts.size(), 1u);
  EXPECT_EQ(report.drifts[0].documents, "orders generated of sales order line 8113 (net demand 6001)");
}

TEST_F(QuantityJournalTest, HistoryOfAnOrderRunsItsTotalsOldestFirst) {
  ASSERT_EQ(Call(kMoQty, {1, 1001, 3, false, kToday}), 0);
  ASSERT_EQ(Call(kRouting, {6, 3003, 1}), 0);
  ASSERT_EQ(Call(kMoQty, {1, 1001, -1.5, false, kToday}), 0);
  ASSERT_EQ(Call(kMoQty, {1, 1004, 1, false, kToday}), 0);  // another order
  database::JournalSelection order;
  order.order_code = "SMO0001";
  std::string seen;
  for (const database::JournalEntry& e : database::ReadJournal(*connection_, order))
    seen += e.table + " " + std::to_string(e.row) + " " + e.column + " " + std::to_string(e.change) + " -> " +
            std::to_string(e.total) + "\n";
  EXPECT_EQ(seen,
            "mom_orderdetail 1001 QualifiedInQty 3.000000 -> 5.000000\n"
            "sfc_moroutingdetail 3003 CompleteQty 1.000000 -> 4.000000\n"
            "sfc_moroutingdetail 3003 QualifiedQty 1.000000 -> 4.000000\n"
            "mom_orderdetail 1001 QualifiedInQty -1.500000 -> 3.500000\n");
  database::JournalSelection routing{database::JournalSelection::Kind::kRoutingLine, "", 3003};
  EXPECT_EQ(database::ReadJournal(*connection_, routing).size(), 2u);
  order.order_code = "NO-SUCH-ORDER";
  EXPECT_THROW(database::ReadJournal(*connection_, order), com::Error);
}

// Write-backs and their reversals in random order, some refused, some rolled back by
// the caller: the journal replays to every counter exactly.
TEST_F(QuantityJournalTest, RandomWriteBacksAndReversalsLeaveNoDrift) {
  std::mt19937 random(20261209);
  struct Target {
    const Procedure* procedure;
    std::vector<com::Variant> inputs;  // the change is filled in
    size_t change_input;
  };
  const Target targets[] = {
      {&kOpMove, {4101, 0}, 1},           {&kOpMove, {4102, 0}, 1},
      {&kRouting, {1, 3001, 0}, 2},       {&kRouting, {5, 3002, 0}, 2},
      {&kRouting, {6, 3003, 0}, 2},       {&kRouting, {2, 3011, 0}, 2},
      {&kMoQty, {1, 1001, 0, true, kToday}, 2}, {&kMoQty, {2, 1004, 0, false, kToday}, 2},
      {&kAllocation, {1, 5001, 0, true}, 2},    {&kAllocation, {2, 5004, 0, false}, 2},
  };
  std::uniform_int_distribution<size_t> pick(0, std::size(targets) - 1);
  std::uniform_int_distribution<int> cents(-300, 400);
  std::uniform_int_distribution<int> dice(0, 9);
  int succeeded = 0;
  for (int n = 0; n < 300; ++n) {
    const Target& t = targets[pick(random)];
    std::vector<com::Variant> inputs = t.inputs;
    const double change = cents(random) / 100.0;
    inputs[t.change_input] = change;
    const bool rollback = dice(random) == 0;
    if (rollback) connection_->BeginTrans();
    const int32_t code = Call(*t.procedure, inputs);
    // The reversal of a landed change, now or later, is a write-back like the others.
    if (code == 0 && dice(random) < 3) {
      inputs[t.change_input] = -change;
      Call(*t.procedure, inputs);
    }
    if (rollback) connection_->RollbackTrans();
    succeeded += code == 0 && !rollback;
  }
  ASSERT_GT(succeeded, 100);
  const database::VerifyReport report = database::VerifyJournal(*connection_);
  EXPECT_GE(report.counters, 10);
  EXPECT_GE(report.entries, succeeded);
  for (const database::CounterDrift& d : report.drifts)
    ADD_FAILURE() << d.table << " " << d.row << " " << d.column << ": journal " << d.journal_value << ", row "
                  << d.current_value;
}

TEST_F(QuantityJournalTest, TheGenerationRecordsThePlannedQuantities) {
  std::vector<com::Variant> in = {std::string("001"), std::string("JMO001"), 8121, kNull, std::string("FG001")};
  for (int i = 0; i < 10; ++i) in.push_back(kNull);
  for (com::Variant more : {com::Variant(4.0), kToday, com::Variant(std::string("demo")), kToday, kNull,
                            com::Variant(uint8_t{1}), com::Variant(std::string("SO")), com::Variant(0), kNull, kNull})
    in.push_back(more);
  Procedure generate{"Usp_MO_GenMoFromSo",
                     {{"AccId", ado::adChar, 3}, {"mocode", ado::adVarWChar, 30}, {"sodid", ado::adInteger},
                      {"cbomid", ado::adInteger}, {"invcode", ado::adVarWChar, 20}},
                     "", "", 0};
  for (int i = 1; i <= 10; ++i) generate.inputs.push_back({"Free", ado::adVarWChar, 20});
  for (Param more : std::vector<Param>{{"qty", ado::adDecimal},
                                       {"duedate", ado::adDBTimeStamp},
                                       {"createuser", ado::adVarWChar, 30},
                                       {"createdate", ado::adDBTimeStamp},
                                       {"remark", ado::adVarWChar, 255},
                                       {"SoType", ado::adUnsignedTinyInt},
                                       {"from", ado::adVarWChar, 2},
                                       {"igrouptype", ado::adInteger},
                                       {"inum", ado::adDecimal},
                                       {"iinvexchrate", ado::adDecimal}})
    generate.inputs.push_back(more);
  ASSERT_EQ(Call(generate, in), 0);
  const std::string line =
      direct_->Text("SELECT d.MoDId FROM mom_orderdetail d JOIN mom_order o ON o.MoId = d.MoId WHERE o.MoCode = 'JMO001'");
  EXPECT_EQ(direct_->Text("SELECT count(*) FROM mom_moallocate WHERE MoDId = " + line),
            direct_->Text("SELECT count(*) FROM sys_qtyjournal WHERE TableName = 'mom_moallocate'"));
  const auto first = direct_->Rows(kJournalRows).front();
  EXPECT_EQ(Render({first}), "Usp_MO_GenMoFromSo 1 mom_orderdetail " + line + " Qty NULL 4 4\n");
  EXPECT_TRUE(database::VerifyJournal(*connection_).drifts.empty());
  // A refused generation records nothing.
  in[1] = std::string("JMO001");
  EXPECT_EQ(Call(generate, in), database::kDuplicateCode);
  EXPECT_EQ(direct_->Text("SELECT count(*) FROM sys_qtyjournal WHERE TableName = 'mom_orderdetail'"), "1");
}

// A database made before the journal: it works on unjournalled, reading its journal is
// refused with the way out, and the upgrade adds the journal without touching a row.
TEST_F(QuantityJournalTest, AnOlderDatabaseWorksUntilTheUpgradeAddsTheJournal) {
  connection_->Close();
  if (TestDatabase::IsPostgres()) {
    direct_->Exec("DROP TRIGGER trg_mps_netdemand_journal ON mps_netdemand");
    direct_->Exec("DROP TABLE sys_qtyjournal");
  } else {
    SqliteFile file(database_->target());
    file.Exec("DROP TRIGGER trg_mps_netdemand_journal; DROP TABLE sys_qtyjournal; PRAGMA user_version = 1");
  }
  connection_->Open(database_->connection_string());
  EXPECT_FALSE(database::HasQuantityJournal(*connection_));
  try {
    database::VerifyJournal(*connection_);
    ADD_FAILURE() << "verified a database without a journal";
  } catch (const com::Error& e) {
    EXPECT_EQ(e.number(), database::kErrNoQuantityJournal);
    EXPECT_NE(e.description().find("mom init DB --upgrade"), std::string::npos) << e.description();
  }
  // The embedded database's procedures skip the journal; the server's are the old ones
  // until the upgrade replaces them (here the new ones, which need it).
  if (!TestDatabase::IsPostgres()) {
    EXPECT_EQ(Call(kMoQty, {1, 1001, 1, false, kToday}), 0);
  }
  const std::string rows_before = Render(direct_->Rows(
      "SELECT MoDId, QualifiedInQty, DeclaredQty, Krts FROM mom_orderdetail ORDER BY MoDId"));
  connection_->Close();

  EXPECT_EQ(database::UpgradeDatabase(database_->target()), database::UpgradeResult::kJournalAdded);
  EXPECT_EQ(database::UpgradeDatabase(database_->target()), database::UpgradeResult::kUpToDate);
  EXPECT_EQ(Render(direct_->Rows("SELECT MoDId, QualifiedInQty, DeclaredQty, Krts FROM mom_orderdetail ORDER BY MoDId")),
            rows_before);
  connection_->Open(database_->connection_string());
  EXPECT_EQ(JournalRows(), 0);
  ASSERT_EQ(Call(kMoQty, {1, 1001, 1, false, kToday}), 0);
  EXPECT_EQ(JournalRows(), 1);
  EXPECT_TRUE(database::VerifyJournal(*connection_).drifts.empty());
}

}  // namespace
