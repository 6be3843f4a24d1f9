#include "platform/com/registry.h"

#include <gtest/gtest.h>

#include <fstream>

#include "platform/com/creation.h"
#include "platform/com/error.h"
#include "platform/com/late_binding.h"
#include "testing/test_support.h"

namespace com {
namespace {

using testing_support::ScopedEnv;
using testing_support::TempDir;

TEST(Registry, PersistsKeysAndValuesAcrossInstances) {
  TempDir dir;
  std::string path = dir.File("sub/registry.reg");
  Registry::Update(path, [](Registry& r) {
    r.SetValue("CLSID\\{X}", "", "名称 \"quoted\" \\ back");
    r.SetValue("CLSID\\{X}\\InprocServer32", "ThreadingModel", "Apartment");
    r.SetValue("Other", "", "1");
  });
  Registry r(path);
  EXPECT_EQ(r.GetValue("clsid\\{x}"), "名称 \"quoted\" \\ back");
  EXPECT_EQ(r.GetValue("CLSID\\{X}\\InprocServer32", "ThreadingModel"), "Apartment");
  EXPECT_FALSE(r.GetValue("CLSID\\{X}\\InprocServer32"));
  EXPECT_EQ(r.SubKeys("CLSID"), std::vector<std::string>{"{X}"});
  Registry::Update(path, [](Registry& reg) { reg.DeleteKey("CLSID\\{X}"); });
  r.Reload();
  EXPECT_FALSE(r.KeyExists("CLSID\\{X}"));
  EXPECT_FALSE(r.KeyExists("CLSID\\{X}\\InprocServer32"));
  EXPECT_EQ(r.GetValue("Other"), "1");
}

TEST(Registry, DamagedFileIsReportedNotIgnored) {
  TempDir dir;
  std::ofstream(dir.File("r.reg")) << "[Key]\nnot a value line\n";
  EXPECT_THROW(Registry(dir.File("r.reg")), Error);
}

TEST(Creation, LoadsTheServerLibraryThroughTheRegistry) {
  TempDir dir;
  ScopedEnv env("MOM_REGISTRY", dir.File("registry.reg"));
  try {
    CreateObject("ComTest.Counter");
    FAIL() << "created an unregistered class";
  } catch (const Error& e) {
    EXPECT_EQ(e.number(), kErrCannotCreateObject);
    EXPECT_NE(e.description().find("registered"), std::string::npos) << e.description();
  }

  RunRegistrationEntry(COM_TEST_SERVER, "DllRegisterServer");
  Registry r(dir.File("registry.reg"));
  auto clsid = r.GetValue("ComTest.Counter\\CLSID");
  ASSERT_TRUE(clsid);
  EXPECT_EQ(r.GetValue("CLSID\\" + *clsid + "\\InprocServer32", "ThreadingModel"), "Apartment");

  Ptr<IDispatch> counter = CreateObject("ComTest.Counter");
  Variant value(41);
  Variant args[] = {Variant::Ref(&value)};
  EXPECT_TRUE(CallByName(counter.get(), "increment", args).ToBool());
  EXPECT_EQ(value.ToI4(), 42);
  try {
    CallByName(counter.get(), "Fail", {});
    FAIL();
  } catch (const Error& e) {
    EXPECT_EQ(e.number(), 1234);
    EXPECT_EQ(e.description(), "计数器失败");
  }

  RunRegistrationEntry(COM_TEST_SERVER, "DllUnregisterServer");
  r.Reload();
  EXPECT_FALSE(r.KeyExists("ComTest.Counter"));
  EXPECT_THROW(CreateObject("ComTest.Counter"), Error);
}

}  // namespace
}  // namespace com
