#include "platform/com/registry.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <optional>
#include <vector>

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

// Writes a registry file with the given "key=value" lines ("key" alone: a key without
// values); "damaged" writes a file that cannot be read.
void WriteRegistry(const std::string& path, const std::vector<std::string>& lines) {
  if (lines.size() == 1 && lines[0] == "damaged") {
    std::ofstream(path) << "[Key]\nnot a value line\n";
    return;
  }
  Registry::Update(path, [&](Registry& r) {
    for (const std::string& line : lines) {
      size_t eq = line.find('=');
      if (eq == std::string::npos)
        r.SetValue(line, "ThreadingModel", "Apartment");
      else
        r.SetValue(line.substr(0, eq), "", line.substr(eq + 1));
    }
  });
}

TEST(RegistrySearch, EarlierRegistriesHideTheSameKeyInLaterOnes) {
  const std::vector<std::string> none;
  const std::vector<std::string> absent = {"absent"};
  struct Case {
    const char* what;
    std::vector<std::string> user, system;  // {"absent"}: no file
    const char* key;
    std::optional<std::string> expected;  // nullopt: not found
    bool raises = false;
  } cases[] = {
      {"only the system's", none, {"A\\CLSID=sys"}, "A\\CLSID", "sys"},
      {"user's file absent", absent, {"A\\CLSID=sys"}, "A\\CLSID", "sys"},
      {"the user's wins", {"A\\CLSID=user"}, {"A\\CLSID=sys"}, "a\\clsid", "user"},
      {"other keys fall through", {"B=user"}, {"A\\CLSID=sys"}, "A\\CLSID", "sys"},
      {"a key below does not hide", {"A\\CLSID\\Sub=user"}, {"A\\CLSID=sys"}, "A\\CLSID", "sys"},
      {"the user's key hides without the value", {"A\\CLSID"}, {"A\\CLSID=sys"}, "A\\CLSID", std::nullopt},
      {"nowhere", {"B=user"}, {"C=sys"}, "A", std::nullopt},
      {"no files at all", absent, absent, "A", std::nullopt},
      {"damaged system's unread when the user's answers", {"A=user"}, {"damaged"}, "A", "user"},
      {"damaged system's reached", {"B=user"}, {"damaged"}, "A", std::nullopt, true},
      {"damaged user's", {"damaged"}, {"A=sys"}, "A", std::nullopt, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    TempDir dir;
    const std::vector<std::string> paths = {dir.File("user.reg"), dir.File("system.reg")};
    if (c.user != absent) WriteRegistry(paths[0], c.user);
    if (c.system != absent) WriteRegistry(paths[1], c.system);
    if (c.raises) {
      EXPECT_THROW(LookUpValue(paths, c.key), Error);
      continue;
    }
    EXPECT_EQ(LookUpValue(paths, c.key), c.expected);
  }
}

TEST(RegistrySearch, SeesRegistrationsMadeAfterTheFirstLookUp) {
  TempDir dir;
  const std::vector<std::string> paths = {dir.File("user.reg"), dir.File("system.reg")};
  WriteRegistry(paths[1], {"A=sys"});
  EXPECT_EQ(LookUpValue(paths, "A"), "sys");
  WriteRegistry(paths[0], {"A=user's own"});
  EXPECT_EQ(LookUpValue(paths, "A"), "user's own");
  std::filesystem::remove(paths[0]);
  EXPECT_EQ(LookUpValue(paths, "A"), "sys");
  Registry::Update(paths[1], [](Registry& r) { r.DeleteKey("A"); });
  EXPECT_EQ(LookUpValue(paths, "A"), std::nullopt);
}

TEST(RegistrySearch, PrivateRegistryAloneOtherwiseUserThenSystem) {
  struct Case {
    const char* mom_registry;
    const char* xdg_config_home;
    const char* home;
    std::vector<std::string> expected;
  } cases[] = {
      {"/p/private.reg", "/x", "/h", {"/p/private.reg"}},
      {"", "/x", "/h", {"/x/mom/registry.reg", Registry::SystemPath()}},
      {"", "", "/h", {"/h/.config/mom/registry.reg", Registry::SystemPath()}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.mom_registry + std::string("|") + c.xdg_config_home);
    ScopedEnv registry("MOM_REGISTRY", c.mom_registry);
    ScopedEnv xdg("XDG_CONFIG_HOME", c.xdg_config_home);
    ScopedEnv home("HOME", c.home);
    EXPECT_EQ(Registry::SearchPath(), c.expected);
    // Registration writes to the first registry searched.
    EXPECT_EQ(Registry::DefaultPath(), c.expected.front());
  }
  EXPECT_EQ(Registry::SystemPath().front(), '/');
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
