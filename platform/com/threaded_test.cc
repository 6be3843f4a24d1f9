// The runtime with several threads at work: each thread's values are its own, and
// objects are created and called from the registry on many threads at once. Run under
// ThreadSanitizer as well (the tsan preset).

#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

#include "platform/com/creation.h"
#include "platform/com/error.h"
#include "platform/com/late_binding.h"
#include "platform/com/registry.h"
#include "platform/com/thread_values.h"
#include "testing/test_support.h"

namespace com {
namespace {

std::string Show(std::string_view name) {
  Variant v = ThreadValue(name);
  return v.is_empty() ? "-" : v.ToString();
}

TEST(ThreadValues, ScopesSetAndPutBackOnTheirThread) {
  // Each step acts, then the value of "a" and of "b" are shown.
  std::vector<std::string> seen;
  auto note = [&] { seen.push_back(Show("a") + " " + Show("b")); };
  note();
  SetThreadValue("a", Variant("1"));
  note();
  {
    ScopedThreadValue outer("a", Variant("2"));
    note();
    {
      ScopedThreadValue keep("b");  // unchanged now, put back at the end
      SetThreadValue("b", Variant("set inside"));
      ScopedThreadValue inner("a", Variant(""));  // an empty text is a value
      note();
    }
    note();
    SetThreadValue("a", Variant());  // Empty clears
    note();
  }
  note();
  SetThreadValue("a", Variant());
  SetThreadValue("a", Variant());  // clearing what is not there
  note();
  EXPECT_EQ(seen, (std::vector<std::string>{"- -", "1 -", "2 -", " set inside", "2 -", "- -", "1 -", "- -"}));
}

TEST(ThreadValues, AThreadSeesOnlyItsOwn) {
  ScopedThreadValue mine("login", Variant("main"));
  constexpr int kThreads = 4;
  constexpr int kRounds = 300;
  std::vector<std::string> failures(kThreads);
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([t, &failures] {
      if (!ThreadValue("login").is_empty()) failures[t] = "a new thread saw another's value";
      for (int i = 0; i < kRounds && failures[t].empty(); ++i) {
        const std::string own = std::to_string(t) + "/" + std::to_string(i);
        ScopedThreadValue login("login", Variant(own));
        SetThreadValue("count", Variant(i));
        std::this_thread::yield();
        if (Show("login") != own || ThreadValue("count").ToI4() != i)
          failures[t] = "round " + std::to_string(i) + " saw " + Show("login");
      }
      if (!ThreadValue("login").is_empty()) failures[t] = "the scope was not put back";
    });
  }
  for (std::thread& t : threads) t.join();
  for (int t = 0; t < kThreads; ++t) EXPECT_EQ(failures[t], "") << "thread " << t;
  EXPECT_EQ(Show("login"), "main");
  EXPECT_TRUE(ThreadValue("count").is_empty());
}

TEST(ThreadValues, AThreadsObjectsAreReleasedWhenItEnds) {
  testing_support::TempDir dir;
  testing_support::ScopedEnv env("MOM_REGISTRY", dir.File("registry.reg"));
  RunRegistrationEntry(COM_TEST_SERVER, "DllRegisterServer");
  Ptr<IDispatch> kept;
  std::thread([&] {
    Ptr<IDispatch> counter = CreateObject("ComTest.Counter");
    SetThreadValue("counter", Variant(counter));
    kept = counter;
  }).join();
  // The thread's reference went with it: ours is the only one left.
  EXPECT_EQ(kept->AddRef(), 2u);
  EXPECT_EQ(kept->Release(), 1u);
}

TEST(ThreadedCreation, AThreadsOwnRegistryServesThatThreadOnly) {
  testing_support::TempDir dir;
  testing_support::ScopedEnv env("MOM_REGISTRY", dir.File("process.reg"));
  bool created_there = false;
  std::thread([&] {
    ScopedThreadValue own(kRegistryPathValue, Variant(dir.File("own.reg")));
    EXPECT_EQ(Registry::DefaultPath(), dir.File("own.reg"));
    EXPECT_EQ(Registry::SearchPath(), std::vector<std::string>{dir.File("own.reg")});
    RunRegistrationEntry(COM_TEST_SERVER, "DllRegisterServer");
    created_there = static_cast<bool>(CreateObject("ComTest.Counter"));
  }).join();
  EXPECT_TRUE(created_there);
  EXPECT_TRUE(Registry(dir.File("own.reg")).KeyExists("ComTest.Counter"));
  EXPECT_FALSE(Registry(dir.File("process.reg")).KeyExists("ComTest.Counter"));
  EXPECT_EQ(Registry::DefaultPath(), dir.File("process.reg"));
  EXPECT_THROW(CreateObject("ComTest.Counter"), Error);  // not in this thread's registry
}

TEST(ThreadedCreation, ObjectsAreCreatedAndCalledOnManyThreadsAtOnce) {
  testing_support::TempDir dir;
  testing_support::ScopedEnv env("MOM_REGISTRY", dir.File("registry.reg"));
  RunRegistrationEntry(COM_TEST_SERVER, "DllRegisterServer");
  constexpr int kThreads = 6;
  std::vector<std::string> failures(kThreads);
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([t, &failures] {
      try {
        for (int i = 0; i < 50; ++i) {
          Ptr<IDispatch> counter = CreateObject("ComTest.Counter");
          Variant value(t * 1000 + i);
          Variant args[] = {Variant::Ref(&value)};
          CallByName(counter.get(), "Increment", args);
          if (value.ToI4() != t * 1000 + i + 1) throw Error(kErrAutomation, "wrong count " + value.ToString());
          try {
            CallByName(counter.get(), "Fail", {});
          } catch (const Error& e) {
            // The error of this thread's call, not another's.
            if (e.number() != 1234 || e.description() != "计数器失败") throw;
          }
        }
      } catch (const Error& e) {
        failures[t] = e.description();
      }
    });
  }
  for (std::thread& t : threads) t.join();
  for (int t = 0; t < kThreads; ++t) EXPECT_EQ(failures[t], "") << "thread " << t;
}

}  // namespace
}  // namespace com
