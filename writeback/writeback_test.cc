// The single write-backs on the embedded database, called early-bound as the other
// modules of the suite call them.

#include <gtest/gtest.h>

#include "testing/mom_fixture.h"

namespace {

using testing_support::MomFixture;

constexpr char kStale[] = "记录已经被其他人员删除或更新，请刷新后再试";

class SingleWriteBackTest : public MomFixture {
 protected:
  bool Routing(int32_t id, double qty, std::string token) {
    mom::ConnectionRef conn = conn_;
    mom::VariantBool result = 0;
    EXPECT_EQ(early_->MoRoutingWrB(&id, &qty, &conn, &err_, &token, &result), com::S_OK);
    return result != 0;
  }
  bool OpMove(int32_t id, double qty, std::string bus_type, std::string token) {
    mom::ConnectionRef conn = conn_;
    mom::VariantBool result = 0;
    EXPECT_EQ(early_->OpMoveQtyWrB(&id, &qty, &bus_type, &conn, &token, &err_, &result), com::S_OK);
    return result != 0;
  }
  bool Receipt(int32_t id, double qty, std::string bus_type, std::string token, com::Date* date = nullptr,
               mom::VariantBool* check = nullptr) {
    mom::ConnectionRef conn = conn_;
    mom::VariantBool result = 0;
    EXPECT_EQ(early_->MoInQtyWrB(&id, &qty, &bus_type, &conn, &token, &err_, date, check, &result), com::S_OK);
    return result != 0;
  }
  bool Issue(int32_t id, double qty, std::string bus_type, mom::VariantBool check, std::string* token) {
    mom::ConnectionRef conn = conn_;
    mom::VariantBool result = 0;
    EXPECT_EQ(early_->MORMOutQtyWrB(&id, &qty, &bus_type, &check, &conn, &err_, token, &result), com::S_OK);
    return result != 0;
  }
  double Num(const std::string& sql) { return Scalar(sql).ToR8(); }

  std::string err_ = "unchanged";
};

TEST_F(SingleWriteBackTest, RoutingWriteBackWithFreshStaleAndMissingTokens) {
  const std::string sql = "select CompleteQty from sfc_moroutingdetail where MoRoutingDId = 3003";
  std::string fresh = Token("sfc_moroutingdetail", "MoRoutingDId", 3003);
  ASSERT_EQ(fresh.size(), 30u);
  EXPECT_TRUE(Routing(3003, 2.5, fresh));
  EXPECT_EQ(err_, "unchanged");
  EXPECT_DOUBLE_EQ(Num(sql), 5.5);
  std::string after = Token("sfc_moroutingdetail", "MoRoutingDId", 3003);
  EXPECT_NE(after, fresh);

  EXPECT_FALSE(Routing(3003, 1, fresh));  // the token read before the change
  EXPECT_EQ(err_, kStale);
  EXPECT_DOUBLE_EQ(Num(sql), 5.5);
  EXPECT_EQ(Token("sfc_moroutingdetail", "MoRoutingDId", 3003), after);

  err_ = "unchanged";
  EXPECT_TRUE(Routing(3003, -0.5, ""));  // a reversal, no token: not checked
  EXPECT_DOUBLE_EQ(Num(sql), 5.0);
  EXPECT_FALSE(Routing(424242, 1, ""));
  EXPECT_EQ(err_, kStale);
}

TEST_F(SingleWriteBackTest, QuantitiesReachTheProcedureRoundedToSixDecimals) {
  EXPECT_TRUE(Routing(3003, 0.1234567, ""));
  EXPECT_DOUBLE_EQ(Num("select CompleteQty from sfc_moroutingdetail where MoRoutingDId = 3003"), 3.123457);
}

TEST_F(SingleWriteBackTest, OperationMoveIgnoresTheBusinessType) {
  const std::string sql = "select Qty from sfc_optransformdetail where OpMdId = 4101";
  EXPECT_TRUE(OpMove(4101, 1, "", ""));
  EXPECT_TRUE(OpMove(4101, 1, "任意业务", ""));
  EXPECT_DOUBLE_EQ(Num(sql), 8);
  EXPECT_FALSE(OpMove(4101, 1, "", "1.0000"));
  EXPECT_EQ(err_, kStale);
}

TEST_F(SingleWriteBackTest, AClosedConnectionFailsWithTheDataLayersDescription) {
  conn_->Close();
  EXPECT_FALSE(Routing(3003, 1, ""));
  EXPECT_NE(err_.find("closed"), std::string::npos) << err_;
}

TEST_F(SingleWriteBackTest, ReceiptTypesAreComparedExactly) {
  const std::string token = Token("mom_orderdetail", "MoDId", 1002);
  for (const char* bus_type : {"产品入库 ", " 产品入库", "产品 入库", "生产领料", "", "CPRK"}) {
    err_.clear();
    EXPECT_FALSE(Receipt(1002, 1, bus_type, token)) << bus_type;
    EXPECT_EQ(err_, "业务类型不正确，不能回写生产订单") << bus_type;
  }
  EXPECT_EQ(Token("mom_orderdetail", "MoDId", 1002), token);  // nothing reached the database
  EXPECT_TRUE(Receipt(1002, 1, "产品入库", token));
  EXPECT_DOUBLE_EQ(Num("select QualifiedInQty from mom_orderdetail where MoDId = 1002"), 1);
  EXPECT_TRUE(Receipt(1002, 2, "产品检验", ""));
  EXPECT_DOUBLE_EQ(Num("select DeclaredQty from mom_orderdetail where MoDId = 1002"), 2);
}

TEST_F(SingleWriteBackTest, ReceiptChecksByDefaultAndRefusesWhatTheProcedureRefuses) {
  // Line 1002 orders 5: without isChk the check is on and a receipt of 6 is refused.
  EXPECT_FALSE(Receipt(1002, 6, "产品入库", ""));
  EXPECT_EQ(err_, "入库单数量不能大于所参照订单的数量,不能保存");
  mom::VariantBool no_check = mom::kVariantFalse;
  EXPECT_TRUE(Receipt(1002, 6, "产品入库", "", nullptr, &no_check));
  // Without CurDate the procedure receives the zero date.
  EXPECT_EQ(com::FormatDateTime(Scalar("select LastInDate from mom_orderdetail where MoDId = 1002").ToDate()),
            "1899-12-30 00:00:00");
  com::Date when = *com::ParseDate("2024-03-09 08:30:00");
  EXPECT_TRUE(Receipt(1002, 0, "产品入库", "", &when, &no_check));
  EXPECT_EQ(com::FormatDateTime(Scalar("select LastInDate from mom_orderdetail where MoDId = 1002").ToDate()),
            "2024-03-09 08:30:00");
  EXPECT_FALSE(Receipt(1002, -7, "产品入库", ""));
  EXPECT_EQ(err_, "产成品累计入库量不能小于零");
  EXPECT_FALSE(Receipt(1003, 1, "产品入库", ""));
  EXPECT_EQ(err_, "生产订单已关闭");
}

TEST_F(SingleWriteBackTest, MaterialIssueTypesAndRefusals) {
  std::string token = Token("mom_moallocate", "AllocateId", 5001);
  EXPECT_FALSE(Issue(5001, 1, "产品入库", mom::kVariantTrue, &token));
  EXPECT_EQ(err_, "业务类型不正确，不能回写生产订单");
  EXPECT_TRUE(Issue(5001, 1, "生产领料", mom::kVariantTrue, &token));
  EXPECT_DOUBLE_EQ(Num("select IssQty from mom_moallocate where AllocateId = 5001"), 5);
  EXPECT_TRUE(Issue(5001, 1, "产品检验", mom::kVariantTrue, nullptr));  // no token given: not checked
  EXPECT_DOUBLE_EQ(Num("select InspQty from mom_moallocate where AllocateId = 5001"), 1);
  EXPECT_FALSE(Issue(5001, 6, "生产领料", mom::kVariantTrue, nullptr));
  EXPECT_EQ(err_, "领料量超过生产订单计划领料量");
  EXPECT_FALSE(Issue(5001, -6, "生产领料", mom::kVariantFalse, nullptr));
  EXPECT_EQ(err_, "退料量不能大于已领料量");
  EXPECT_FALSE(Issue(5008, 1, "生产领料", mom::kVariantFalse, nullptr));
  EXPECT_EQ(err_, "该子件用料已删除");
  EXPECT_FALSE(Issue(5001, 1, "生产领料", mom::kVariantTrue, &token));  // stale
  EXPECT_EQ(err_, kStale);
}

TEST_F(SingleWriteBackTest, WorkStaysInTheCallersTransaction) {
  conn_->BeginTrans();
  EXPECT_TRUE(Routing(3003, 4, ""));
  conn_->RollbackTrans();
  EXPECT_DOUBLE_EQ(Num("select CompleteQty from sfc_moroutingdetail where MoRoutingDId = 3003"), 3);
}

}  // namespace
