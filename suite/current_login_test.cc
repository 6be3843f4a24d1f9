// The current login is the calling thread's: set and put back by a scope or through
// MomSuite.CurrentLogin, never seen by another thread, never written to the
// environment; the servers of a thread share one connection to it.

#include <gtest/gtest.h>

#include <cstdlib>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "platform/ado/recordset.h"
#include "platform/com/error.h"
#include "platform/com/late_binding.h"
#include "suite/common_functions.h"
#include "suite/current_login.h"
#include "testing/test_database.h"

extern char** environ;

namespace suite {
namespace {

using testing_support::TempDir;
using testing_support::TestDatabase;

std::set<std::string> Environment() {
  std::set<std::string> entries;
  for (char** e = environ; *e; ++e) entries.insert(*e);
  return entries;
}

// What the process was started with: the default of every thread that has set none.
std::string StartingDefault() {
  const char* value = std::getenv(kCurrentLoginVariable);
  return value ? value : "";
}

std::string Put(const std::string& connection_string) {
  com::Ptr<com::IDispatch> current = com::MakeObject<CurrentLogin>().As<com::IDispatch>();
  if (connection_string != "(get)") com::PutProperty(current.get(), "KrDbName", com::Variant(connection_string));
  return com::GetProperty(current.get(), "KrDbName").ToString();
}

TEST(CurrentLogin, EachThreadHasItsOwnAndTheEnvironmentIsNeverWritten) {
  const std::set<std::string> environment = Environment();
  const std::string fallback = StartingDefault();
  // Steps on one thread, each followed by the login it then has.
  std::vector<std::string> seen, expected;
  auto note = [&](const std::string& want) {
    seen.push_back(CurrentLoginConnectionString());
    expected.push_back(want);
  };
  note(fallback);
  {
    ScopedCurrentLogin run("Provider=SQLite;Data Source=/a.db;Password=secret");
    note("Provider=SQLite;Data Source=/a.db;Password=secret");
    {
      ScopedCurrentLogin nested("Provider=SQLite;Data Source=/b.db");
      note("Provider=SQLite;Data Source=/b.db");
      EXPECT_EQ(Put("(get)"), "Provider=SQLite;Data Source=/b.db");
    }
    note("Provider=SQLite;Data Source=/a.db;Password=secret");
    ScopedCurrentLogin none("");  // no login, whatever the default
    note("");
  }
  note(fallback);
  EXPECT_EQ(seen, expected);

  // Put through the object: this thread's until it is put again; the others keep theirs.
  EXPECT_EQ(Put("Provider=SQLite;Data Source=/main.db"), "Provider=SQLite;Data Source=/main.db");
  std::vector<std::string> others(4);
  std::vector<std::thread> threads;
  for (size_t t = 0; t < others.size(); ++t)
    threads.emplace_back([t, &others] {
      const std::string before = CurrentLoginConnectionString();
      const std::string own = "Provider=SQLite;Data Source=/thread" + std::to_string(t) + ".db";
      for (int i = 0; i < 500; ++i) {
        ScopedCurrentLogin run(own);
        if (Put("(get)") != own) others[t] = "saw " + Put("(get)");
      }
      if (others[t].empty()) others[t] = before;
    });
  for (std::thread& t : threads) t.join();
  for (const std::string& other : others) EXPECT_EQ(other, fallback);
  EXPECT_EQ(CurrentLoginConnectionString(), "Provider=SQLite;Data Source=/main.db");
  Put(fallback);

  EXPECT_EQ(Environment(), environment);
  EXPECT_EQ(StartingDefault(), fallback);
}

// Run by ctest once more with MOM_LOGIN_DB set, to see the default taken from it.
TEST(CurrentLogin, TheEnvironmentIsTheStartingDefaultOnly) {
  const std::string fallback = StartingDefault();
  std::string on_new_thread;
  std::thread([&] { on_new_thread = CurrentLoginConnectionString(); }).join();
  EXPECT_EQ(on_new_thread, fallback);
  {
    ScopedCurrentLogin run("Provider=SQLite;Data Source=/other.db");
    EXPECT_EQ(StartingDefault(), fallback);  // not written
  }
  EXPECT_EQ(CurrentLoginConnectionString(), fallback);
}

class LoginConnectionTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (std::string why = TestDatabase::Unavailable(); !why.empty()) GTEST_SKIP() << why;
    database_ = std::make_unique<TestDatabase>(dir_);
    other_ = std::make_unique<TestDatabase>(other_dir_);
  }

  int32_t Digits() {
    com::Ptr<com::IDispatch> common = com::MakeObject<CommonFunctions>().As<com::IDispatch>();
    return com::CallById(common.get(), 0x60020001, {}).ToI4();
  }

  TempDir dir_, other_dir_;
  std::unique_ptr<TestDatabase> database_, other_;
};

TEST_F(LoginConnectionTest, TheServersOfAThreadShareOneConnectionWhileTheLoginLasts) {
  const std::string a = database_->connection_string(), b = other_->connection_string();
  com::Ptr<ado::Connection> setter = ado::Connection::Create();
  setter->Open(b);
  setter->Execute("update AccInformation set cValue = '4' where cSysId = 'AA' and cName = 'iStrsQuanDecDgt'");

  com::Ptr<ado::Connection> first;
  {
    ScopedCurrentLogin run(a);
    first = CurrentLoginConnection();
    // Many servers, one session; a decimals change by another user is read at once.
    for (int i = 0; i < 20; ++i) EXPECT_EQ(Digits(), 2);
    EXPECT_EQ(CurrentLoginConnection().get(), first.get());
    {
      ScopedCurrentLogin nested(b);
      EXPECT_EQ(Digits(), 4);
      EXPECT_NE(CurrentLoginConnection().get(), first.get());
    }
    EXPECT_EQ(CurrentLoginConnection().get(), first.get());
    com::Ptr<ado::Connection> elsewhere;
    std::thread([&] {
      ScopedCurrentLogin same_database(a);
      elsewhere = CurrentLoginConnection();
    }).join();
    EXPECT_NE(elsewhere.get(), first.get());  // a thread's connection is its own
  }
  // The scope's connection went with it: ours is the last reference.
  EXPECT_EQ(first->AddRef(), 2u);
  EXPECT_EQ(first->Release(), 1u);

  {
    ScopedCurrentLogin none("");
    try {
      Digits();
      FAIL() << "no error without a login";
    } catch (const com::Error& e) {
      EXPECT_NE(e.description().find("没有当前登录"), std::string::npos) << e.description();
    }
  }
  {
    ScopedCurrentLogin broken("Provider=NoSuchProvider;Data Source=x");
    EXPECT_THROW(Digits(), com::Error);
    EXPECT_THROW(Digits(), com::Error);  // nothing half-open was kept
  }
}

}  // namespace
}  // namespace suite
