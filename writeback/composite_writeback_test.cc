// The composite write-backs: which single write-backs a reported quantity reaches.

#include <gtest/gtest.h>

#include "platform/com/error.h"
#include "platform/com/late_binding.h"
#include "testing/mom_fixture.h"
#include "writeback/composite_writebacks.h"

namespace {

using testing_support::MomFixture;

class CompositeWriteBackTest : public MomFixture {
 protected:
  // Everything a composite write-back may touch, rendered as one string.
  std::string State(int32_t line) {
    auto n = [&](const std::string& sql) { return com::Variant(Scalar(sql).ToR8()).ToString(); };
    std::string s = "in=" + n("select QualifiedInQty from mom_orderdetail where MoDId = " + std::to_string(line)) +
                    " declared=" + n("select DeclaredQty from mom_orderdetail where MoDId = " + std::to_string(line));
    s += " last=" + n("select coalesce(sum(d.CompleteQty), 0) from sfc_moroutingdetail d, sfc_morouting r where "
                      "d.MoRoutingId = r.MoRoutingId and d.LastFlag = 1 and r.MoDId = " +
                      std::to_string(line));
    return s;
  }

  com::HResult MoQtyWrB(int32_t line, bool by_product, double qty, std::string bus_type, std::string token,
                        mom::VariantBool* check = nullptr) {
    mom::VariantBool flag = by_product ? mom::kVariantTrue : mom::kVariantFalse;
    mom::ConnectionRef conn = conn_;
    result_ = mom::kVariantTrue;
    return early_->MoQtyWrB(&line, &flag, &qty, &bus_type, &conn, &err_, &token, nullptr, check, &result_);
  }
  com::HResult FromQc(int32_t completed, int32_t allocation, double qty, std::string bus_type) {
    mom::ConnectionRef conn = conn_;
    result_ = mom::kVariantTrue;
    return early_->MoQtyWrBfromQc(&completed, &allocation, &qty, &bus_type, &conn, &err_, nullptr, &result_);
  }

  std::string err_ = "unchanged";
  mom::VariantBool result_ = 0;
};

TEST(BusinessTypeTranslation, OnlyAProductReceiptBecomesAnIssue) {
  EXPECT_EQ(mom::writeback::TranslateForMaterialIssue("产品入库"), "生产领料");
  EXPECT_EQ(mom::writeback::TranslateForMaterialIssue("产品检验"), "产品检验");
  EXPECT_EQ(mom::writeback::TranslateForMaterialIssue("产品入库 "), "产品入库 ");
}

TEST_F(CompositeWriteBackTest, ShopFloorReceiptWritesTheLastOperationThenTheLine) {
  EXPECT_EQ(State(1001), "in=2 declared=3 last=3");
  ASSERT_EQ(MoQtyWrB(1001, false, 4, "产品入库", Token("mom_orderdetail", "MoDId", 1001)), com::S_OK);
  EXPECT_EQ(result_, mom::kVariantTrue);
  EXPECT_EQ(err_, "unchanged");
  EXPECT_EQ(State(1001), "in=6 declared=3 last=7");
}

TEST_F(CompositeWriteBackTest, InspectionOnAShopFloorLineSkipsTheRouting) {
  ASSERT_EQ(MoQtyWrB(1001, false, 1, "产品检验", ""), com::S_OK);
  EXPECT_EQ(result_, mom::kVariantTrue);
  EXPECT_EQ(State(1001), "in=2 declared=4 last=3");
}

TEST_F(CompositeWriteBackTest, SeveralLastOperationsEachGetRoutingAndReceipt) {
  // Line 1004 has two operations flagged last: each one is written, and the line twice.
  ASSERT_EQ(MoQtyWrB(1004, false, 2, "产品入库", ""), com::S_OK);
  EXPECT_EQ(result_, mom::kVariantTrue);
  EXPECT_EQ(State(1004), "in=4 declared=0 last=9");
}

TEST_F(CompositeWriteBackTest, AFailingRoutingWriteBackStopsBeforeTheReceipt) {
  const struct {
    const char* name;
    int32_t line;
    const char* setup;
    const char* message;
  } cases[] = {
      // The last operation of line 1001 cannot take 4 more, while the line itself
      // could: a receipt tried after the refusal would land and report success.
      {"the routing line is at the quantity limit", 1001,
       "update sfc_moroutingdetail set CompleteQty = 999999999 where MoRoutingDId = 3003",
       "Arithmetic overflow error converting numeric to data type numeric."},
      // Line 1003 is closed: both would be refused.
      {"the order is closed", 1003, nullptr, "生产订单已关闭"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    if (c.setup) conn_->Execute(c.setup);
    const std::string before = State(c.line);
    err_ = "unchanged";
    ASSERT_EQ(MoQtyWrB(c.line, false, 4, "产品入库", ""), com::S_OK);
    EXPECT_EQ(result_, mom::kVariantFalse);
    EXPECT_EQ(err_, c.message);
    EXPECT_EQ(State(c.line), before);
  }
}

TEST_F(CompositeWriteBackTest, SeveralLastOperationsAreWrittenInTheOrderOfTheirKeys) {
  // 3011 cannot take 4 more and is the first by key, so nothing is written. Updating it
  // moves it behind 3012 in a server's heap: read in the heap's order, 3012 and the line
  // would be written before the refusal.
  conn_->Execute("update sfc_moroutingdetail set CompleteQty = 999999999 where MoRoutingDId = 3011");
  const std::string before = State(1004);
  ASSERT_EQ(MoQtyWrB(1004, false, 4, "产品入库", ""), com::S_OK);
  EXPECT_EQ(result_, mom::kVariantFalse);
  EXPECT_EQ(err_, "Arithmetic overflow error converting numeric to data type numeric.");
  EXPECT_EQ(State(1004), before);
}

TEST_F(CompositeWriteBackTest, ShopFloorLineWithoutALastOperationWritesNothing) {
  conn_->Execute("update sfc_moroutingdetail set LastFlag = '0' where MoRoutingId = 2001");
  const std::string before = State(1001);
  ASSERT_EQ(MoQtyWrB(1001, false, 1, "产品入库", ""), com::S_OK);
  EXPECT_EQ(result_, mom::kVariantFalse);
  EXPECT_EQ(err_, "该生产订单受车间管理控制，但工艺路线没有最后一道工序，不能回写");
  EXPECT_EQ(State(1001), before);
}

TEST_F(CompositeWriteBackTest, ByProductGoesToTheAllocationAsAnIssue) {
  const std::string iss = "select IssQty from mom_moallocate where AllocateId = 5007";
  const std::string insp = "select InspQty from mom_moallocate where AllocateId = 5007";
  double iss0 = Scalar(iss).ToR8(), insp0 = Scalar(insp).ToR8();
  ASSERT_EQ(MoQtyWrB(5007, true, 2, "产品入库", Token("mom_moallocate", "AllocateId", 5007)), com::S_OK);
  EXPECT_EQ(result_, mom::kVariantTrue);
  EXPECT_DOUBLE_EQ(Scalar(iss).ToR8(), iss0 + 2);
  ASSERT_EQ(MoQtyWrB(5007, true, 1, "产品检验", ""), com::S_OK);
  EXPECT_EQ(result_, mom::kVariantTrue);
  EXPECT_DOUBLE_EQ(Scalar(insp).ToR8(), insp0 + 1);
}

TEST_F(CompositeWriteBackTest, ComposedCallsDoNotCheckUnlessAsked) {
  // Line 1002 orders 5; MoQtyWrB passes isChk false unless told otherwise.
  ASSERT_EQ(MoQtyWrB(1002, false, 8, "产品入库", ""), com::S_OK);
  EXPECT_EQ(result_, mom::kVariantTrue);
  mom::VariantBool check = mom::kVariantTrue;
  ASSERT_EQ(MoQtyWrB(1002, false, 1, "产品入库", "", &check), com::S_OK);
  EXPECT_EQ(result_, mom::kVariantFalse);
  EXPECT_EQ(err_, "入库单数量不能大于所参照订单的数量,不能保存");
}

TEST_F(CompositeWriteBackTest, ErrorsOfItsOwnQueriesReachTheCallerAsErrorStatus) {
  // No such order line: the flag cannot be read.
  com::HResult hr = MoQtyWrB(999999, false, 1, "产品入库", "");
  EXPECT_TRUE(com::Failed(hr));
  com::Variant line(999999), flag(false), qty(1), bus("产品入库"), err(""), token("");
  com::Variant conn(com::Ptr<com::IUnknown>(static_cast<com::IUnknown*>(conn_.get())));
  com::Variant args[] = {com::Variant::Ref(&line), com::Variant::Ref(&flag), com::Variant::Ref(&qty),
                         com::Variant::Ref(&bus),  conn,                     com::Variant::Ref(&err),
                         com::Variant::Ref(&token)};
  EXPECT_THROW(com::CallByName(mom_.get(), "MoQtyWrB", args), com::Error);
}

TEST_F(CompositeWriteBackTest, QualityInspectionEntryChoosesOneWriteBack) {
  const std::string insp = "select InspQty from mom_moallocate where AllocateId = 5001";
  double insp0 = Scalar(insp).ToR8();
  const std::string line_before = State(1002);
  ASSERT_EQ(FromQc(1002, 5001, 1, "产品检验"), com::S_OK);  // both given: the allocation only
  EXPECT_EQ(result_, mom::kVariantTrue);
  EXPECT_DOUBLE_EQ(Scalar(insp).ToR8(), insp0 + 1);
  EXPECT_EQ(State(1002), line_before);


  // Without isChk the allocation is not checked: inspecting more than planned passes.
  ASSERT_EQ(FromQc(0, 5001, 50, "产品检验"), com::S_OK);
  EXPECT_EQ(result_, mom::kVariantTrue);

  ASSERT_EQ(FromQc(0, 0, 1, "产品检验"), com::S_OK);
  EXPECT_EQ(result_, mom::kVariantFalse);
  EXPECT_EQ(err_, "unchanged");

  // The receipt path always checks: inspecting more than line 1002 orders is refused.
  ASSERT_EQ(FromQc(1002, 0, 6, "产品检验"), com::S_OK);
  EXPECT_EQ(result_, mom::kVariantFalse);
  EXPECT_EQ(err_, "无报检余量");
  ASSERT_EQ(FromQc(1002, -1, 2, "产品检验"), com::S_OK);
  EXPECT_EQ(result_, mom::kVariantTrue);
  EXPECT_EQ(State(1002), "in=0 declared=2 last=0");
}

}  // namespace
