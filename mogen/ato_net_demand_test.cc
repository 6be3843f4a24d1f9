// Crediting of ATO net demand on the embedded database: the spreading passes, the
// token-checked writes and the count check.

#include "mogen/ato_net_demand.h"

#include <gtest/gtest.h>

#include <vector>

#include "mogen/scripted_numbering.h"
#include "platform/ado/recordset.h"
#include "platform/com/creation.h"
#include "platform/com/error.h"
#include "platform/com/thread_values.h"
#include "suite/current_login.h"
#include "testing/mom_fixture.h"

namespace {

using testing_support::MomFixture;

constexpr int kLine = 9901;
constexpr char kCountText[] = "ATO净需求已被他人修改，冲销数量与回写记录数不符，请刷新后重试";

struct DemandRow {
  int seq;
  double factor;
  double balance;   // demand not yet credited
  double credited;  // crdqty before the call
};

class NetDemandTest : public MomFixture {
 protected:
  void SetUp() override {
    MomFixture::SetUp();
    if (IsSkipped()) return;
    // As a generation run does: CommonFunctions reads the decimals from the thread's login.
    login_ = std::make_unique<suite::ScopedCurrentLogin>(connection_string_);
  }

  // Rows 1, 2, ... of a demand line, in this order of Seq; their DemandIds are 9000 + n.
  void AddRows(const std::vector<DemandRow>& rows) {
    int n = 0;
    for (const DemandRow& r : rows) {
      ++n;
      conn_->Execute(
          "insert into mps_netdemand (DemandId, PartId, SoType, SoDId, Seq, Factor, BalQty, crdqty) "
          "values (" +
          std::to_string(9000 + n) + ", 3, 1, " + std::to_string(kLine) + ", " + std::to_string(r.seq) + ", " +
          std::to_string(r.factor) + ", " + std::to_string(r.balance + r.credited) + ", " + std::to_string(r.credited) +
          ")");
    }
  }
  void Credit(double qty, bool is_del = false) {
    mom::mogen::CreditAtoNetDemand(0, qty, is_del, 3, com::Date{45000}, 1, kLine, true, conn_);
  }
  double Credited(int n) {
    return Scalar("select crdqty from mps_netdemand where DemandId = " + std::to_string(9000 + n)).ToR8();
  }
  int Flag(int n) {
    return Scalar("select ModifyFlag from mps_netdemand where DemandId = " + std::to_string(9000 + n)).ToBool() ? 1 : 0;
  }

  std::unique_ptr<suite::ScopedCurrentLogin> login_;
};

TEST_F(NetDemandTest, QuantitiesSpreadOverTheRowsInBothPasses) {
  struct Case {
    const char* name;
    std::vector<DemandRow> rows;
    double qty;
    bool is_del;
    const char* decimals;
    std::vector<double> credited;  // afterwards, per row
    std::vector<int> flags;
  } cases[] = {
      {"the first row takes its balance, the second the rest",
       {{1, 1, 5, 0}, {1, 1, 10, 0}},
       8,
       false,
       "2",
       {5, 3},
       {1, 1}},
      {"more than the balances: the rest is dropped", {{1, 1, 5, 0}, {1, 1, 10, 0}}, 20, false, "2", {5, 10}, {1, 1}},
      {"a balance equal to the quantity ends the pass", {{1, 1, 5, 0}, {1, 1, 10, 0}}, 5, false, "2", {5, 0}, {1, 0}},
      {"Seq 2 rescales the rest, halves to even", {{1, 1, 1, 0}, {2, 0.5, 10, 0}}, 8, false, "0", {1, 4}, {1, 1}},
      {"Seq 2 rescales to the quantity decimals", {{1, 1, 1, 0}, {2, 0.5, 10, 0}}, 8, false, "2", {1, 3.5}, {1, 1}},
      {"Seq 3 turns to the reverse pass from the last row",
       {{1, 1, 2, 0}, {3, 1, 4, 0}, {3, 1, 4, 0}},
       5,
       false,
       "2",
       {2, 0, 3},
       {1, 0, 1}},
      {"a zero quantity still writes the first row", {{1, 1, 5, 1}}, 0, false, "2", {1}, {1}},
      {"a zero quantity before Seq 3 writes the last row", {{3, 1, 5, 0}, {3, 1, 5, 0}}, 0, false, "2", {0, 0}, {0, 1}},
      {"IsDel takes back at most what was credited", {{1, 1, 10, 6}, {1, 1, 10, 3}}, 7, true, "2", {0, 2}, {1, 1}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    conn_->Execute("delete from mps_netdemand where SoDId = " + std::to_string(kLine));
    conn_->Execute(std::string("update AccInformation set cValue = '") + c.decimals +
                   "' where cName = 'iStrsQuanDecDgt'");
    AddRows(c.rows);
    EXPECT_NO_THROW(Credit(c.qty, c.is_del));
    for (size_t i = 0; i < c.rows.size(); ++i) {
      EXPECT_DOUBLE_EQ(Credited(static_cast<int>(i + 1)), c.credited[i]) << "row " << i + 1;
      EXPECT_EQ(Flag(static_cast<int>(i + 1)), c.flags[i]) << "row " << i + 1;
    }
  }
}

TEST_F(NetDemandTest, NoRowsWritesNothing) {
  const int before = Scalar("select sum(ModifyFlag) from mps_netdemand").ToI4();
  EXPECT_NO_THROW(Credit(5));
  EXPECT_EQ(Scalar("select sum(ModifyFlag) from mps_netdemand").ToI4(), before);
}

TEST_F(NetDemandTest, ARowCreditedInBothPassesFailsTheCountAfterWriting) {
  AddRows({{1, 1, 2, 0}, {3, 1, 4, 0}});
  try {
    Credit(10);
    FAIL() << "no error";
  } catch (const com::Error& e) {
    EXPECT_EQ(e.number(), static_cast<int32_t>(0x80040065u));
    EXPECT_EQ(e.description(), kCountText);
  }
  // Row 1 was credited forward (2) and again backwards (2); both rows were written.
  EXPECT_DOUBLE_EQ(Credited(1), 4);
  EXPECT_DOUBLE_EQ(Credited(2), 4);
}

TEST_F(NetDemandTest, ARowChangedWhileCreditingFailsTheCount) {
  AddRows({{1, 1, 5, 0}, {1, 1, 5, 0}});
  // Another user changes row 1 between the read and the write (while the decimals are
  // asked for).
  com::ScopedThreadValue change(mom::mogen::scripted::kSqlOnDigits,
                                com::Variant("update mps_netdemand set DemandDate = DemandDate where DemandId = 9001"));
  com::RunRegistrationEntry(MOGEN_SCRIPTED_NUMBERING_LIBRARY, "DllRegisterServer");
  try {
    Credit(8);
    FAIL() << "no error";
  } catch (const com::Error& e) {
    EXPECT_EQ(e.number(), mom::mogen::kNetDemandCountMismatch);
    EXPECT_EQ(e.description(), kCountText);
  }
  EXPECT_DOUBLE_EQ(Credited(1), 0);
  EXPECT_DOUBLE_EQ(Credited(2), 3);
}

TEST_F(NetDemandTest, ARowChangedAfterReadingIsNotOverwritten) {
  AddRows({{1, 1, 5, 0}, {1, 1, 5, 0}});
  mom::RecordsetRef set = mom::mogen::GetAtoNetDemand(0, false, 3, com::Date{45000}, 1, kLine, true, conn_);
  ASSERT_EQ(set->RecordCount(), 2);
  conn_->Execute("update mps_netdemand set crdqty = 1 where DemandId = 9001");  // someone else
  double remaining = 8;
  mom::mogen::SpreadNetDemandCredit(set, remaining, 1);
  set->MoveNext();
  mom::mogen::SpreadNetDemandCredit(set, remaining, 1);
  EXPECT_DOUBLE_EQ(remaining, 0);
  EXPECT_EQ(mom::mogen::SaveNetDemandCredit(set, conn_), 1);  // only the unchanged row
  EXPECT_DOUBLE_EQ(Credited(1), 1);
  EXPECT_DOUBLE_EQ(Credited(2), 3);
}

TEST_F(NetDemandTest, OnlyRowsChangedByTheSpreadingAreWritten) {
  AddRows({{1, 1, 5, 0}, {1, 1, 5, 0}, {1, 1, 5, 0}});
  mom::RecordsetRef set = mom::mogen::GetAtoNetDemand(0, false, 3, com::Date{45000}, 1, kLine, true, conn_);
  double remaining = 2;
  set->MoveNext();
  mom::mogen::SpreadNetDemandCredit(set, remaining, 1);
  EXPECT_EQ(mom::mogen::SaveNetDemandCredit(set, conn_), 1);
  EXPECT_EQ(Flag(1), 0);
  EXPECT_EQ(Flag(2), 1);
  EXPECT_EQ(Flag(3), 0);
}

}  // namespace
