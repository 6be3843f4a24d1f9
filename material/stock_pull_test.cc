// Stock pull through the component's interface, on allocations set up in the sample
// database. The component reads them on a connection of its own from the login object.

#include <gtest/gtest.h>

#include <limits>
#include <string>

#include "platform/com/creation.h"
#include "platform/com/late_binding.h"
#include "testing/mom_fixture.h"

namespace {

using testing_support::MomFixture;

constexpr double kUntouched = 42.5;
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();

class StockPullTest : public MomFixture {
 protected:
  void SetUp() override {
    MomFixture::SetUp();
    if (IsSkipped()) return;
    login_ = com::CreateObject("MomSuite.Login");
    com::PutProperty(login_.get(), "KrDbName", com::Variant(connection_string_));
  }
  void TearDown() override {
    login_.reset();
    MomFixture::TearDown();
  }

  // Allocation 5001 (on line 1001) gets `columns`; the line's quantity becomes in_qty.
  void Allocation(const std::string& columns, double in_qty) {
    conn_->Execute("update mom_moallocate set " + columns + " where AllocateId = 5001");
    conn_->Execute("update mom_orderdetail set Qty = " + std::to_string(in_qty) + " where MoDId = 1001");
  }
  void Decimals(const std::string& value) {
    if (value.empty())
      conn_->Execute("delete from AccInformation");
    else
      conn_->Execute("update AccInformation set cValue = '" + value + "' where cName = 'iStrsQuanDecDgt'");
  }
  // Null checks need columns that accept Null: the allocations move to a copy
  // without the table's constraints.
  void AllowNullAllocationColumns() {
    conn_->Execute("ALTER TABLE mom_moallocate RENAME TO mom_moallocate_checked");
    conn_->Execute("CREATE TABLE mom_moallocate AS SELECT * FROM mom_moallocate_checked");
  }

  bool Morm(int32_t id, double p_qty) {
    mom::VariantBool result = 1;
    EXPECT_EQ(early_->STPullfromMORM(&login_, &id, &p_qty, &out_, &err_, &result), com::S_OK);
    return result == mom::kVariantTrue;
  }
  bool Morp(int32_t id, double s_qty) {
    mom::VariantBool result = 1;
    EXPECT_EQ(early_->STPullfromMORP(&login_, &id, &s_qty, &out_, &err_, &result), com::S_OK);
    return result == mom::kVariantTrue;
  }

  mom::ObjectRef login_;
  double out_ = kUntouched;
  std::string err_ = "unchanged";
};

TEST_F(StockPullTest, ComponentToProductQuantity) {
  struct Case {
    const char* name;
    const char* columns;
    double in_qty;
    const char* decimals;
    double p_qty;
    double c_qty;
  } cases[] = {
      {"fixed usage gives the line quantity, even for nothing pulled", "FVFlag = 0, Qty = 12", 100, "2", 0, 100},
      {"any flag but 1 is fixed usage", "FVFlag = 2, Qty = 12", 7, "2", 3, 7},
      {"variable usage in proportion to the plan", "FVFlag = 1, Qty = 12", 100, "2", 3, 25},
      {"rounded to the set's decimals", "FVFlag = 1, Qty = 3", 1, "2", 1, 0.33},
      {"halfway to the even digit, down", "FVFlag = 0", 2.5, "0", 1, 2},
      {"halfway to the even digit, up", "FVFlag = 0", 3.5, "0", 1, 4},
      {"halfway at the last kept decimal", "FVFlag = 1, Qty = 8", 1, "2", 1, 0.12},
      {"no decimals setting rounds to units", "FVFlag = 1, Qty = 3", 10, "", 1, 3},
      {"a blank decimals setting is 0 on both databases", "FVFlag = 1, Qty = 3", 10, " ", 1, 3},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Allocation(c.columns, c.in_qty);
    Decimals(c.decimals);
    out_ = kUntouched;
    EXPECT_TRUE(Morm(5001, c.p_qty));
    EXPECT_DOUBLE_EQ(out_, c.c_qty);
    EXPECT_EQ(err_, "unchanged");
  }
}

TEST_F(StockPullTest, StockToProductQuantity) {
  struct Case {
    const char* name;
    const char* columns;
    double in_qty;
    const char* decimals;
    double s_qty;
    double p_qty;
  } cases[] = {
      {"the remainder limits the pull", "FVFlag = 1, Qty = 10, IssQty = 4, BaseQtyN = 1, BaseQtyD = 1", 10, "2", 10,
       6},
      {"the stock limits the pull", "FVFlag = 1, Qty = 10, IssQty = 4, BaseQtyN = 1, BaseQtyD = 1", 10, "2", 5, 5},
      {"a tie pulls the remainder", "FVFlag = 1, Qty = 10, IssQty = 4, BaseQtyN = 1, BaseQtyD = 1", 10, "2", 6, 6},
      {"usage ratio", "FVFlag = 1, Qty = 10, IssQty = 4, BaseQtyN = 2, BaseQtyD = 1", 10, "2", 6, 3},
      {"component scrap", "FVFlag = 1, Qty = 10, IssQty = 4, BaseQtyN = 2, BaseQtyD = 1, CompScrap = 50", 10, "2",
       6, 2},
      {"product scrap", "FVFlag = 1, Qty = 10, IssQty = 4, BaseQtyN = 2, BaseQtyD = 1, ParentScrap = 10", 10, "2",
       6, 2.7},
      {"over-issued gives a negative quantity", "FVFlag = 1, Qty = 10, IssQty = 12, BaseQtyN = 1, BaseQtyD = 1", 10,
       "2", 5, -2},
      {"halfway to the even digit", "FVFlag = 1, Qty = 10, IssQty = 7.5, BaseQtyN = 1, BaseQtyD = 1", 10, "0", 10,
       2},
      {"fixed usage, stock short of the remainder", "FVFlag = 0, Qty = 10, IssQty = 4", 8, "2", 5, 0},
      {"fixed usage, stock equal to the remainder", "FVFlag = 0, Qty = 10, IssQty = 4", 8, "2", 6, 8},
      {"fixed usage, stock above the remainder", "FVFlag = 0, Qty = 10, IssQty = 4", 8, "2", 7, 8},
      // 10.3 - 10.2 in doubles is a little more than 0.1; the columns are exact decimals.
      {"the remainder is exact to the columns' decimals", "FVFlag = 0, Qty = 10.3, IssQty = 10.2", 8, "2", 0.1, 8},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    conn_->Execute("update mom_moallocate set ParentScrap = 0, CompScrap = 0 where AllocateId = 5001");
    Allocation(c.columns, c.in_qty);
    Decimals(c.decimals);
    out_ = kUntouched;
    EXPECT_TRUE(Morp(5001, c.s_qty));
    EXPECT_DOUBLE_EQ(out_, c.p_qty);
    EXPECT_EQ(err_, "unchanged");
  }
}

TEST_F(StockPullTest, MissingAllocationChangesNothing) {
  EXPECT_FALSE(Morm(999999, 3));
  EXPECT_FALSE(Morp(-5001, 3));
  EXPECT_EQ(out_, kUntouched);
  EXPECT_EQ(err_, "unchanged");
}

TEST_F(StockPullTest, FailuresAreReportedAndLeaveTheOutputAlone) {
  struct Case {
    const char* name;
    const char* columns;
    const char* decimals;
    bool morm;
    const char* message;
    double quantity = 3;
  } cases[] = {
      {"nothing planned", "FVFlag = 1, Qty = 0", "2", true, "Division by zero"},
      {"no usage numerator", "FVFlag = 1, Qty = 10, IssQty = 0, BaseQtyN = 0", "2", false, "Division by zero"},
      {"component scrap of -100%", "FVFlag = 1, Qty = 10, IssQty = 0, BaseQtyN = 1, CompScrap = -100", "2", false,
       "Division by zero"},
      {"a negative decimals setting", "FVFlag = 0", "-1", true, "Invalid procedure call or argument"},
      // cast(cValue as int) as the original server converts it, on both databases.
      {"a decimals setting that is no number", "FVFlag = 0", "2a", false,
       "Conversion failed when converting the varchar value '2a' to data type int."},
      {"a decimals setting with decimals", "FVFlag = 0", "2.0", true,
       "Conversion failed when converting the varchar value '2.0' to data type int."},
      {"a decimals setting beyond int", "FVFlag = 0", "99999999999", true,
       "Arithmetic overflow error converting expression to data type int."},
      // A pull that is no number converts to nothing, whichever branch it would take.
      {"no number pulled, fixed usage", "FVFlag = 0, Qty = 10, IssQty = 4", "2", false, "Overflow", kNaN},
      {"infinite stock", "FVFlag = 1, Qty = 10, IssQty = 4, BaseQtyN = 1, BaseQtyD = 1", "2", false, "Overflow",
       kInf},
      {"no number pulled, variable usage", "FVFlag = 1, Qty = 12", "2", true, "Overflow", kNaN},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Allocation(c.columns, 10);
    Decimals(c.decimals);
    out_ = kUntouched;
    err_ = "unchanged";
    EXPECT_FALSE(c.morm ? Morm(5001, c.quantity) : Morp(5001, c.quantity));
    EXPECT_EQ(err_, c.message);
    EXPECT_EQ(out_, kUntouched);
  }
}

TEST_F(StockPullTest, NullColumns) {
  AllowNullAllocationColumns();
  Decimals("2");
  conn_->Execute("update mom_moallocate set FVFlag = NULL, Qty = 0, IssQty = 0 where AllocateId = 5001");
  EXPECT_TRUE(Morm(5001, 3));  // a Null flag is fixed usage: the line's 10, no division
  EXPECT_DOUBLE_EQ(out_, 10);
  EXPECT_TRUE(Morp(5001, 3));  // nothing left to pull: the stock covers it
  EXPECT_DOUBLE_EQ(out_, 10);

  out_ = kUntouched;
  conn_->Execute("update mom_moallocate set FVFlag = 1, IssQty = NULL where AllocateId = 5001");
  EXPECT_FALSE(Morp(5001, 3));
  EXPECT_EQ(err_, "Invalid use of Null");
  EXPECT_EQ(out_, kUntouched);
}

TEST_F(StockPullTest, UnusableLoginIsReported) {
  com::PutProperty(login_.get(), "KrDbName", com::Variant("Provider=SQLite;Data Source=" + dir_->File("no/such.db")));
  EXPECT_FALSE(Morm(5001, 3));
  EXPECT_NE(err_, "unchanged");
  EXPECT_EQ(out_, kUntouched);
}

TEST_F(StockPullTest, LateBoundCallWritesTheOutput) {
  com::Variant login(login_), id(int32_t{5001}), s_qty(5.0), p_qty(kUntouched), err("unchanged");
  com::Variant args[] = {com::Variant::Ref(&login), com::Variant::Ref(&id), com::Variant::Ref(&s_qty),
                         com::Variant::Ref(&p_qty), com::Variant::Ref(&err)};
  // 5001 plans 10 and has 4 issued, one per product: 5 in stock covers 5.
  EXPECT_TRUE(com::CallByName(mom_.get(), "STPullfromMORP", args).ToBool());
  EXPECT_DOUBLE_EQ(p_qty.ToR8(), 5);
  EXPECT_DOUBLE_EQ(s_qty.ToR8(), 5);
  EXPECT_EQ(err.ToString(), "unchanged");
}

}  // namespace
