#include <gtest/gtest.h>

#include "platform/com/creation.h"
#include "platform/com/error.h"
#include "platform/com/late_binding.h"
#include "suite/resource_table.h"
#include "testing/test_support.h"

namespace suite {
namespace {

using testing_support::ScopedEnv;
using testing_support::TempDir;

TEST(ResourceTable, ParsesSectionsAndRejectsMalformedLines) {
  ResourceTable t = ResourceTable::Parse("# c\n[map]\n7=k.seven\n[text]\nk.seven=七=7\n");
  EXPECT_EQ(t.KeyOf(7), "k.seven");
  EXPECT_EQ(t.KeyOf(8), "mom.message.8");
  EXPECT_EQ(t.TextOf("k.seven"), "七=7");
  EXPECT_FALSE(t.TextOf("K.SEVEN"));  // keys are exact
  EXPECT_THROW(ResourceTable::Parse("[map]\nx=y\n"), std::runtime_error);
  EXPECT_THROW(ResourceTable::Parse("orphan=1\n"), std::runtime_error);
}

TEST(ResourceServer, ServesTheMessageTableThroughLateBinding) {
  TempDir dir;
  ScopedEnv env("MOM_REGISTRY", dir.File("registry.reg"));
  com::RunRegistrationEntry(MOM_SUITE_LIBRARY, "DllRegisterServer");
  com::Ptr<com::IDispatch> server = com::CreateObject("REREVORU.ResourceSrv");
  auto text_of = [&](int32_t number) {
    com::Variant n(number);
    com::Variant a1[] = {com::Variant::Ref(&n)};
    com::Variant key = com::CallByName(server.get(), "GetMapResString", a1);
    com::Variant a2[] = {com::Variant::Ref(&key)};
    return com::CallByName(server.get(), "GetResString", a2).ToString();
  };
  // Full-width comma in 10001 and 10010, ASCII comma in 10006 and 10026.
  EXPECT_EQ(text_of(10001), "记录已经被其他人员删除或更新，请刷新后再试");
  EXPECT_EQ(text_of(10006), "入库单数量不能大于所参照订单的数量,不能保存");
  EXPECT_EQ(text_of(10010), "无有效物料清单资料，不能产生生产订单");
  EXPECT_EQ(text_of(10026), "超过入库上限比例控制,不能保存");
  EXPECT_EQ(text_of(19992), "倒冲料仓库未建");
  EXPECT_NE(text_of(10003), "");  // a number outside the table still gets a text
  for (const char* key : {"Z7.Z7M.VBInterface.00099", "Z7.Z7M.VBInterface.00100", "Z7.Z7M.VBInterface.00101",
                          "Z7.MOM.1013064"})
    EXPECT_TRUE(ResourceTable::Builtin().TextOf(key)) << key;

  com::Ptr<com::IDispatch> login = com::CreateObject("MomSuite.Login");
  com::PutProperty(login.get(), "KrDbName", com::Variant("Provider=SQLite;Data Source=/x.db"));
  EXPECT_EQ(com::GetProperty(login.get(), "krdbname").ToString(), "Provider=SQLite;Data Source=/x.db");
  EXPECT_EQ(com::GetProperty(login.get(), "cUserId").ToString(), "");
  EXPECT_THROW(com::GetProperty(login.get(), "cPassword"), com::Error);
}

}  // namespace
}  // namespace suite
