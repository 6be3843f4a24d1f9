// The backflush bill list: the real procedure on the sample database, and stand-in
// procedures under the same name for the rows and return codes the database would not
// give on its own.

#include <gtest/gtest.h>

#include <cmath>
#include <optional>
#include <span>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/ado/procedure_catalog.h"
#include "platform/ado/recordset.h"
#include "platform/ado/sqlite/sqlite_provider.h"
#include "testing/mom_fixture.h"

namespace {

using testing_support::MomFixture;

constexpr char kProcedure[] = "Usp_MO_GetMoBFAllocate";
constexpr char kNoWarehouse[] = "倒冲料仓库未建";

// Puts a stand-in in the procedure's place for the scope, then the real one back.
// The procedure's stand-ins are written for the embedded database, whose procedures
// are the process's own; the server's cannot be swapped from here.
#define SKIP_WITHOUT_STAND_INS()                                                     \
  if (testing_support::TestDatabase::IsPostgres())                                   \
  GTEST_SKIP() << "stand-in procedures replace the embedded database's procedures"

class ScopedProcedure {
 public:
  explicit ScopedProcedure(ado::ProcedureBody body)
      : saved_(*ado::FindProcedure(ado::sqlite::kProviderName, kProcedure)) {
    ado::RegisterProcedure(ado::sqlite::kProviderName, kProcedure, std::move(body));
  }
  ~ScopedProcedure() { ado::RegisterProcedure(ado::sqlite::kProviderName, kProcedure, saved_); }
  ScopedProcedure(const ScopedProcedure&) = delete;
  ScopedProcedure& operator=(const ScopedProcedure&) = delete;

 private:
  ado::ProcedureBody saved_;
};

ado::ColumnInfo Col(const char* name, ado::DataType type = ado::adVariant) {
  ado::ColumnInfo c;
  c.name = name;
  c.type = type;
  return c;
}

// A stand-in that returns `code` and, unless `rows` is null, these rows.
ado::ProcedureBody Returning(int32_t code, std::optional<ado::QueryResult> rows) {
  return [code, rows](ado::ProcedureContext& db, std::span<const com::Variant>) {
    if (rows) db.ReturnRows(*rows);
    return code;
  };
}

class BackflushTest : public MomFixture {
 protected:
  bool Get(int32_t mo_d_id, double qty, mom::VariantBool check = mom::kVariantFalse) {
    mom::ConnectionRef conn = conn_;
    mom::VariantBool result = 1;
    EXPECT_EQ(early_->GetBFRds(&conn, &mo_d_id, &qty, &list_, &check, &err_, &result), com::S_OK);
    return result == mom::kVariantTrue;
  }
  // The list's rows as "field=value" texts of the given fields, walking it from the top.
  std::vector<std::string> Rows(const std::vector<std::string>& fields) {
    std::vector<std::string> out;
    for (list_->MoveFirst(); !list_->Eof(); list_->MoveNext()) {
      std::string row;
      for (const std::string& f : fields) {
        com::Variant v = (*list_)[f].Value();
        row += (row.empty() ? "" : " ") + f + "=" + (v.is_null() ? "Null" : v.ToString());
      }
      out.push_back(row);
    }
    return out;
  }

  mom::RecordsetRef list_;
  std::string err_ = "unchanged";
};

TEST_F(BackflushTest, ListOfTheSampleLine) {
  ASSERT_TRUE(Get(1001, 10));
  EXPECT_EQ(err_, "unchanged");
  // Current row: the last added, still being added.
  EXPECT_EQ(list_->EditMode(), ado::adEditAdd);
  EXPECT_EQ((*list_)["MoAllocateId"].Value().ToI4(), 5005);
  // 5001/5002 are picked, 5006 (fixed usage) is fully issued, 5007 is a by-product,
  // 5008 deleted.
  EXPECT_EQ(Rows({"MoAllocateId", "InvCode", "WhCode", "Quantity", "LotCode", "UnitId"}),
            (std::vector<std::string>{
                "MoAllocateId=5003 InvCode=CP003 WhCode=01 Quantity=10 LotCode=Null UnitId=PCS",
                "MoAllocateId=5004 InvCode=CP004 WhCode=02 Quantity=10 LotCode=L20240301 UnitId=PCS",
                "MoAllocateId=5005 InvCode=CP005 WhCode=02 Quantity=122.4 LotCode=Null UnitId=PCS",
            }));
  list_->MoveFirst();
  EXPECT_EQ(Rows({"MoId", "MoDId", "cmocode", "sortseq", "DepCode", "SoCode", "SoSeq", "ComponentId"}).front(),
            "MoId=101 MoDId=1001 cmocode=SMO0001 sortseq=1 DepCode=0301 SoCode=SO0001 SoSeq=1 ComponentId=7");
  list_->MoveFirst();
  EXPECT_EQ((*list_)["Krts"].Value().ToString(), Token("mom_moallocate", "AllocateId", 5003));
  EXPECT_FALSE((*list_)["Date"].Value().is_null());
}

TEST_F(BackflushTest, ProcedureQuantities) {
  // 5006 has nothing issued yet: fixed usage gives all of it, once; a reversal (a
  // negative finished quantity) returns variable usage only.
  conn_->Execute("update mom_moallocate set IssQty = 0 where AllocateId = 5006");
  ASSERT_TRUE(Get(1001, 2.5));
  EXPECT_EQ(Rows({"MoAllocateId", "Quantity"}),
            (std::vector<std::string>{"MoAllocateId=5003 Quantity=2.5", "MoAllocateId=5004 Quantity=2.5",
                                      "MoAllocateId=5005 Quantity=30.6", "MoAllocateId=5006 Quantity=0.5"}));
  ASSERT_TRUE(Get(1001, -1));
  EXPECT_EQ(Rows({"MoAllocateId", "Quantity"}),
            (std::vector<std::string>{"MoAllocateId=5003 Quantity=-1", "MoAllocateId=5004 Quantity=-1",
                                      "MoAllocateId=5005 Quantity=-12.24"}));

  conn_->Execute("update mom_moallocate set BaseQtyD = 0 where AllocateId = 5005");
  mom::RecordsetRef before = list_;
  EXPECT_FALSE(Get(1001, 1));
  EXPECT_NE(err_.find("CP005"), std::string::npos) << err_;
  EXPECT_EQ(list_, before);
}

TEST_F(BackflushTest, QuantitiesRoundHalfToEvenAndStayWithinTheLimit) {
  // Allocation 5005 alone, at usage 1/128 without scrap: exact halves at the seventh
  // decimal go to the even sixth on both databases.
  conn_->Execute("update mom_moallocate set WIPType = 3 where MoDId = 1001 and AllocateId <> 5005");
  conn_->Execute("update mom_moallocate set BaseQtyN = 1, BaseQtyD = 128, CompScrap = 0 where AllocateId = 5005");
  const struct {
    double finished;
    const char* quantity;  // or the refusal
  } cases[] = {
      {1, "Quantity=0.007812"},         // 0.0078125
      {3, "Quantity=0.023438"},         // 0.0234375
      {-1, "Quantity=-0.007812"},
      {1.0000001, "Quantity=0.007812"},  // bound to six places first
      {127999999999, "Arithmetic overflow error converting float to data type numeric."},
      {std::nan(""), "Arithmetic overflow error converting float to data type numeric."},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.finished);
    err_ = "unchanged";
    if (Get(1001, c.finished)) {
      EXPECT_EQ(Rows({"Quantity"}), std::vector<std::string>{c.quantity});
    } else {
      EXPECT_EQ(err_, c.quantity);
    }
  }
  // Within what the finished quantity may be, but a component quantity beyond it.
  conn_->Execute("update mom_moallocate set BaseQtyN = 128, BaseQtyD = 1 where AllocateId = 5005");
  EXPECT_FALSE(Get(1001, 900000000));
  EXPECT_EQ(err_, "Arithmetic overflow error converting numeric to data type numeric.");
}

TEST_F(BackflushTest, EmptyListHasTheFixedShape) {
  ASSERT_TRUE(Get(1003, 8));  // the closed line's only component is picked
  ASSERT_TRUE(list_);
  EXPECT_EQ(list_->RecordCount(), 0);
  struct Shape {
    const char* name;
    ado::DataType type;
    int32_t size;
    uint8_t precision, scale;
  };
  std::vector<Shape> expected = {
      {"BillType", ado::adTinyInt, 0, 0, 0},   {"DemSourceId", ado::adInteger, 0, 0, 0},
      {"Source", ado::adVarWChar, 10, 0, 0},   {"VouchType", ado::adInteger, 0, 0, 0},
      {"Date", ado::adDate, 0, 0, 0},          {"WhCode", ado::adVarWChar, 10, 0, 0},
      {"DepCode", ado::adVarWChar, 12, 0, 0},  {"WcId", ado::adInteger, 0, 0, 0},
      {"Maker", ado::adVarWChar, 20, 0, 0},    {"MoId", ado::adInteger, 0, 0, 0},
      {"MoDId", ado::adInteger, 0, 0, 0},      {"cmocode", ado::adVarWChar, 30, 0, 0},
      {"sortseq", ado::adInteger, 0, 0, 0},    {"MoAllocateId", ado::adInteger, 0, 0, 0},
      {"ComponentId", ado::adInteger, 0, 0, 0}, {"InvCode", ado::adVarWChar, 20, 0, 0},
  };
  static const char* const kFree[] = {"Free1", "Free2", "Free3", "Free4", "Free5",
                                      "Free6", "Free7", "Free8", "Free9", "Free10"};
  for (const char* f : kFree) expected.push_back({f, ado::adVarWChar, 20, 0, 0});
  for (Shape s : std::vector<Shape>{
           {"LotCode", ado::adVarWChar, 20, 0, 0}, {"MLotcode", ado::adVarWChar, 20, 0, 0},
           {"Quantity", ado::adDecimal, 0, 28, 6}, {"AuxQuantity", ado::adDecimal, 0, 28, 6},
           {"ChangeRate", ado::adDecimal, 0, 20, 6}, {"UnitId", ado::adVarWChar, 10, 0, 0},
           {"AuxUnitId", ado::adVarWChar, 10, 0, 0}, {"Krts", ado::adVarChar, 60, 0, 0},
           {"SoCode", ado::adVarWChar, 30, 0, 0}, {"SoSeq", ado::adInteger, 0, 0, 0}})
    expected.push_back(s);
  ASSERT_EQ(list_->fields().Count(), 36);
  for (int32_t i = 0; i < 36; ++i) {
    const ado::Field& f = list_->fields().Item(i);
    const Shape& s = expected[static_cast<size_t>(i)];
    SCOPED_TRACE(s.name);
    EXPECT_EQ(f.Name(), s.name);
    EXPECT_EQ(f.Type(), s.type);
    EXPECT_EQ(f.DefinedSize(), s.size);
    EXPECT_EQ(f.Precision(), s.precision);
    EXPECT_EQ(f.NumericScale(), s.scale);
    EXPECT_EQ(f.Attributes(), ado::adFldIsNullable);
  }
  // Disconnected and updatable.
  list_->AddNew();
  (*list_)["Quantity"].SetValue(1.5);
  list_->Update();
  EXPECT_EQ(list_->RecordCount(), 1);
}

TEST_F(BackflushTest, MissingWarehouseIsRefused) {
  mom::RecordsetRef caller_list = ado::Recordset::Create();
  list_ = caller_list;
  EXPECT_FALSE(Get(1004, 5));  // 5031 has no warehouse
  EXPECT_EQ(err_, kNoWarehouse);
  EXPECT_EQ(list_, caller_list);

  // Also when the procedure hands rows back with the code.
  SKIP_WITHOUT_STAND_INS();
  ado::QueryResult rows;
  rows.columns = {Col("Quantity")};
  rows.rows = {{com::Variant(1.0)}};
  ScopedProcedure stand_in(Returning(1019992, rows));
  err_ = "unchanged";
  EXPECT_FALSE(Get(1001, 5));
  EXPECT_EQ(err_, kNoWarehouse);
  EXPECT_EQ(list_, caller_list);
}

TEST_F(BackflushTest, RowsAreCopiedByName) {
  SKIP_WITHOUT_STAND_INS();
  ado::QueryResult rows;
  rows.columns = {Col("quantity"), Col("InvCode"), Col("Source"), Col("Extra"), Col("MoDId"), Col("Date")};
  auto row = [](com::Variant qty, const char* inv, const char* source, com::Variant mo_d_id) {
    return std::vector<com::Variant>{qty, com::Variant(inv), com::Variant(source), com::Variant("x"), mo_d_id,
                                     com::Variant("2024-03-01 08:00:00")};
  };
  rows.rows = {
      row(com::Variant(0.0), "ZERO", "ok", com::Variant(1)),
      row(com::Variant::Null(), "NULL", "ok", com::Variant(1)),
      row(com::Variant(-2.0), "NEG", "ok", com::Variant(1)),
      row(com::Variant("abc"), "TEXT", "ok", com::Variant(1)),
      // A source text over the field's 10 characters and a line id that is no number
      // cannot be stored: those fields stay Null, the row stays.
      row(com::Variant(3.25), "POS", "来源文本超过十个字符的长度", com::Variant("n/a")),
  };
  for (int32_t code : {0, 1, -1}) {
    SCOPED_TRACE(code);
    ScopedProcedure stand_in(Returning(code, rows));
    for (mom::VariantBool check : {mom::kVariantFalse, mom::kVariantTrue}) {
      ASSERT_TRUE(Get(1001, 5, check));
      EXPECT_EQ(err_, "unchanged");
      EXPECT_EQ(Rows({"InvCode", "Quantity", "Source", "MoDId", "SoSeq"}),
                (std::vector<std::string>{"InvCode=NEG Quantity=-2 Source=ok MoDId=1 SoSeq=Null",
                                          "InvCode=POS Quantity=3.25 Source=Null MoDId=Null SoSeq=Null"}));
      list_->MoveFirst();
      EXPECT_EQ((*list_)["Date"].Value().type(), com::VarType::Date);
    }
  }
}

TEST_F(BackflushTest, ProcedureWithoutRowsOrFailing) {
  SKIP_WITHOUT_STAND_INS();
  {
    ScopedProcedure stand_in(Returning(0, std::nullopt));
    ASSERT_TRUE(Get(1001, 5));
    EXPECT_EQ(list_->RecordCount(), 0);
    EXPECT_EQ(list_->fields().Count(), 36);
  }
  {
    ado::QueryResult no_quantity;
    no_quantity.columns = {Col("InvCode")};
    no_quantity.rows = {{com::Variant("CP001")}};
    ScopedProcedure stand_in(Returning(0, no_quantity));
    ASSERT_TRUE(Get(1001, 5));
    EXPECT_EQ(list_->RecordCount(), 0);
  }
  {
    ScopedProcedure stand_in([](ado::ProcedureContext&, std::span<const com::Variant>) -> int32_t {
      throw std::runtime_error("倒冲数据不可用");
    });
    mom::RecordsetRef before = list_;
    EXPECT_FALSE(Get(1001, 5));
    EXPECT_NE(err_.find("倒冲数据不可用"), std::string::npos) << err_;
    EXPECT_EQ(list_, before);
  }
  // The real procedure is back.
  err_ = "unchanged";
  EXPECT_FALSE(Get(1004, 5));
  EXPECT_EQ(err_, kNoWarehouse);
}

TEST_F(BackflushTest, ProcedureArguments) {
  SKIP_WITHOUT_STAND_INS();
  std::vector<com::Variant> seen;
  ScopedProcedure stand_in([&seen](ado::ProcedureContext&, std::span<const com::Variant> args) {
    seen.assign(args.begin(), args.end());
    return 0;
  });
  ASSERT_TRUE(Get(1002, 1.23456789));
  ASSERT_EQ(seen.size(), 2u);
  EXPECT_EQ(seen[0].ToI4(), 1002);
  EXPECT_DOUBLE_EQ(seen[1].ToR8(), 1.234568);  // decimal(20,6)
}

}  // namespace
