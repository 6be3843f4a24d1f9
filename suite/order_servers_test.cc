// The suite's servers that MO generation calls, on the embedded database.

#include <gtest/gtest.h>

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

}  // namespace
