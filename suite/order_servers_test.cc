// The suite's servers that MO generation calls, on the embedded database.

#include <gtest/gtest.h>

#include <cmath>

#include "platform/com/creation.h"
#include "platform/com/error.h"
#include "platform/com/late_binding.h"
#include "suite/common_functions.h"
#include "suite/current_login.h"
#include "suite/part_lookup_interface.h"
#include "testing/mom_fixture.h"

namespace {

using testing_support::MomFixture;

com::Variant Conn(const com::Ptr<ado::Connection>& c) {
  return com::Variant(com::Ptr<com::IUnknown>(static_cast<com::IUnknown*>(c.get())));
}

class OrderServersTest : public MomFixture {};

TEST_F(OrderServersTest, PartLookupFindsThePartOfAnItemWithItsFreeItems) {
  struct Case {
    const char* item;
    const char* free1;
    const char* free2;
    int part;  // 0: none
  } cases[] = {{"FG002", "红色", "26寸", 12}, {"FG002", "", "", 2}, {"FG002", "红色", "", 0}, {"FG009", "", "", 0}};
  auto early = com::CreateInstance<suite::IPartLookup>(suite::kClsidPartLookup);
  com::Ptr<com::IDispatch> late = early.As<com::IDispatch>();
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.item) + "/" + c.free1 + "/" + c.free2);
    com::Ptr<com::IDispatch> nothing;
    std::string item = c.item, f[10] = {c.free1, c.free2}, msg;
    int32_t part = 0;
    int16_t found = 0;
    com::Ptr<ado::Connection> cn = conn_;
    ASSERT_EQ(early->FindPart(&nothing, &item, &f[0], &f[1], &f[2], &f[3], &f[4], &f[5], &f[6], &f[7], &f[8], &f[9],
                              &part, &msg, &cn, &found),
              com::S_OK);
    EXPECT_EQ(found != 0, c.part != 0);
    if (c.part) {
      EXPECT_EQ(part, c.part);
    }
    EXPECT_EQ(msg.empty(), c.part != 0) << msg;

    std::vector<com::Variant> args = {com::Variant(), com::Variant(c.item), com::Variant(c.free1),
                                      com::Variant(c.free2)};
    for (int i = 2; i < 10; ++i) args.emplace_back(std::string());
    com::Variant part_arg(int32_t{0}), msg_arg{std::string()}, conn_arg = Conn(conn_);
    args.push_back(com::Variant::Ref(&part_arg));
    args.push_back(com::Variant::Ref(&msg_arg));
    args.push_back(com::Variant::Ref(&conn_arg));
    EXPECT_EQ(com::CallByName(late.get(), "FindPart", args).ToBool(), c.part != 0);
    EXPECT_EQ(part_arg.ToI4(), c.part);
  }
}

TEST_F(OrderServersTest, CommonFunctionsNeverHandsOutACodeTwice) {
  suite::ScopedCurrentLogin login(connection_string_);
  conn_->Execute("insert into mom_order (MoCode) values ('MO000007')");
  com::Ptr<com::IDispatch> common =
      com::CreateInstance<com::IDispatch>(suite::kClsidCommonFunctions, suite::kIidCommonFunctions);
  auto code = [&] {
    com::Variant array, type("MO21"), cond(""), flag(true);
    com::Variant args[] = {type, cond, com::Variant::Ref(&array), flag};
    return com::CallById(common.get(), 0x60020003, args).ToString();
  };
  EXPECT_EQ(code(), "MO000008");  // past the highest code already used
  EXPECT_EQ(code(), "MO000009");  // without the database having moved on
  EXPECT_EQ(com::CallById(common.get(), 0x60020001, {}).ToI4(), 2);
  com::SafeArray frees;
  frees.items = {com::Variant("红色"), com::Variant::Null(), com::Variant("26寸")};
  com::Variant free_array(std::move(frees));
  // The second free item is read as "" and so is the third ("26寸" is Free3 here): no part.
  com::Variant args[] = {com::Variant("FG002"), com::Variant::Ref(&free_array)};
  EXPECT_EQ(com::CallById(common.get(), 0x60020000, args).ToI4(), 0);
  free_array.MutableArray().items = {com::Variant("红色"), com::Variant("26寸")};
  EXPECT_EQ(com::CallById(common.get(), 0x60020000, args).ToI4(), 12);
}

TEST_F(OrderServersTest, CommonFunctionsWithoutACurrentLoginFails) {
  suite::ScopedCurrentLogin login("");
  com::Ptr<com::IDispatch> common =
      com::CreateInstance<com::IDispatch>(suite::kClsidCommonFunctions, suite::kIidCommonFunctions);
  EXPECT_THROW(com::CallById(common.get(), 0x60020001, {}), com::Error);
}

TEST_F(OrderServersTest, SalesServerChecksTokensAndRecordsMoQuantities) {
  com::Ptr<com::IDispatch> so = com::CreateObject("VERORavede.clsSOFunc");
  auto check = [&](int32_t id, std::string token, std::string* msg) {
    com::Variant c = Conn(conn_), i(id), t(token), m{std::string()};
    com::Variant args[] = {com::Variant::Ref(&c), com::Variant::Ref(&i), com::Variant::Ref(&t), com::Variant::Ref(&m)};
    bool ok = com::CallByName(so.get(), "CheckSOKRTS", args).ToBool();
    *msg = m.ToString();
    return ok;
  };
  auto write_back = [&](int32_t line, double qty, std::string* msg) {
    com::Variant c = Conn(conn_), i(line), q(qty), m{std::string()};
    com::Variant args[] = {com::Variant::Ref(&c), com::Variant::Ref(&i), com::Variant::Ref(&q), com::Variant::Ref(&m)};
    bool ok = com::CallByName(so.get(), "SOTOWriteBack", args).ToBool();
    *msg = m.ToString();
    return ok;
  };
  std::string msg;
  const std::string token = Token("so_somain", "id", 8002);
  EXPECT_TRUE(check(8002, token, &msg));
  EXPECT_EQ(msg, "");
  EXPECT_FALSE(check(8002, "0.0001", &msg));
  EXPECT_EQ(msg, "销售订单已被其他人员修改，请刷新后再试");
  EXPECT_FALSE(check(8999, token, &msg));
  EXPECT_EQ(msg, "销售订单不存在");

  EXPECT_TRUE(write_back(8111, 2.5, &msg));
  EXPECT_DOUBLE_EQ(Scalar("select fMoQuantity from so_sodetails where isosid = 8111").ToR8(), 2.5);
  EXPECT_FALSE(write_back(8112, 1, &msg));
  EXPECT_EQ(msg, "销售订单行已关闭");
  EXPECT_FALSE(write_back(8999, 1, &msg));
  EXPECT_EQ(msg, "销售订单行不存在");
}

class SalesServerLimitsTest : public MomFixture {
 protected:
  void SetUp() override {
    MomFixture::SetUp();
    if (IsSkipped()) return;
    so_ = com::CreateObject("VERORavede.clsSOFunc");
  }

  bool Call(const char* member, com::Variant a1, com::Variant a2, std::string* msg,
            com::Ptr<ado::Connection> cn = {}) {
    com::Variant c = Conn(cn ? cn : conn_), m{std::string()};
    com::Variant args[] = {com::Variant::Ref(&c), com::Variant::Ref(&a1), com::Variant::Ref(&a2),
                           com::Variant::Ref(&m)};
    bool ok = com::CallByName(so_.get(), member, args).ToBool();
    *msg = m.ToString();
    return ok;
  }
  double MoQuantity(int line) {
    return Scalar("select fMoQuantity from so_sodetails where isosid = " + std::to_string(line)).ToR8();
  }

  com::Ptr<com::IDispatch> so_;
};

TEST_F(SalesServerLimitsTest, WriteBackNeverTakesTheMoQuantityPastTheOrderedQuantity) {
  // 8111 is SO0002 row 1, 3 ordered; 8113 (row 3) is made a return of 2.
  conn_->Execute("update so_sodetails set iQuantity = -2 where isosid = 8113");
  const std::string over_8111 = "销售订单 SO0002 第 1 行的生产订单数量不能超过订单数量：订单数量 3，已有生产订单数量 ";
  struct Case {
    int line;
    double qty;
    bool ok;
    double after;
    std::string msg;  // the start of the refusal
  } cases[] = {
      {8111, 2.5, true, 2.5, ""},
      {8111, 0.6, false, 2.5, over_8111 + "2.5，本次 0.6"},
      {8111, 0.5, true, 3, ""},  // exactly the ordered quantity
      {8111, 0.000001, false, 3, over_8111 + "3，本次 0.000001"},
      {8111, 3, false, 3, over_8111 + "3，本次 3"},  // the same line generated again
      {8111, -1, true, 2, ""},                        // an MO taken back
      {8111, std::nan(""), false, 2, "数量无效"},
      {8113, -2, true, -2, ""},
      {8113, -0.5, false, -2, "销售订单 SO0002 第 3 行的生产订单数量不能超过订单数量：订单数量 -2，已有生产订单数量 -2，本次 -0.5"},
      {8113, 0.5, true, -1.5, ""},
      {8112, 1, false, 0, "销售订单行已关闭"},
      {8999, 1, false, 0, "销售订单行不存在"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.line) + " " + std::to_string(c.qty));
    std::string msg;
    EXPECT_EQ(Call("SOTOWriteBack", com::Variant(int32_t{c.line}), com::Variant(c.qty), &msg), c.ok);
    EXPECT_EQ(msg, c.msg);
    if (c.line != 8999) {
      EXPECT_DOUBLE_EQ(MoQuantity(c.line), c.after);
    }
  }
}

TEST_F(SalesServerLimitsTest, MoQuantitiesAreRoundedAsTheServerRoundsDecimals) {
  // Half away from zero, from the double's shortest decimal form: a value just below a
  // half goes down, on both databases.
  const struct {
    double start, qty, after;
  } cases[] = {
      {0, -0.0004944999999999999, -0.000494},
      {0, 0.0004944999999999999, 0.000494},
      {0, 0.0000005, 0.000001},
      {0, -0.0000005, -0.000001},
      {1, 0.0000025, 1.000003},
      {0, 0.00000049999, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::to_string(c.qty));
    conn_->Execute("update so_sodetails set fMoQuantity = " + std::to_string(c.start) + " where isosid = 8111");
    std::string msg;
    EXPECT_TRUE(Call("SOTOWriteBack", com::Variant(int32_t{8111}), com::Variant(c.qty), &msg)) << msg;
    EXPECT_EQ(MoQuantity(8111), c.after);
  }
  EXPECT_EQ(Scalar("select round(1234.5, -1)").ToR8(), 1230);
  EXPECT_EQ(Scalar("select round(-2.5, 0)").ToR8(), -3);
}

TEST_F(SalesServerLimitsTest, ATokenPassesTheOrderCheckOnce) {
  const std::string token = Token("so_somain", "id", 8002);
  std::string msg;
  conn_->BeginTrans();
  EXPECT_TRUE(Call("CheckSOKRTS", com::Variant(int32_t{8002}), com::Variant(token), &msg)) << msg;
  // The order's token moved with the check, inside the caller's transaction.
  EXPECT_NE(Token("so_somain", "id", 8002), token);
  EXPECT_FALSE(Call("CheckSOKRTS", com::Variant(int32_t{8002}), com::Variant(token), &msg));
  EXPECT_EQ(msg, "销售订单已被其他人员修改，请刷新后再试");
  conn_->RollbackTrans();
  // Rolled back with the caller's transaction: the token is the caller's again.
  EXPECT_EQ(Token("so_somain", "id", 8002), token);
  EXPECT_TRUE(Call("CheckSOKRTS", com::Variant(int32_t{8002}), com::Variant(token), &msg)) << msg;
  EXPECT_FALSE(Call("CheckSOKRTS", com::Variant(int32_t{8002}), com::Variant(token), &msg));
  // A closed order is refused whatever its token.
  conn_->Execute("update so_somain set cCloser = '王五' where id = 8002");
  EXPECT_FALSE(Call("CheckSOKRTS", com::Variant(int32_t{8002}), com::Variant(Token("so_somain", "id", 8002)), &msg));
  EXPECT_EQ(msg, "销售订单已关闭");
}

}  // namespace
