#include "shared/xml_rs_data.h"

#include <gtest/gtest.h>

#include <thread>

#include "platform/com/creation.h"
#include "platform/com/error.h"
#include "testing/test_support.h"

namespace {

using mom::XMLRSData::GetResText;
using mom::XMLRSData::GetResTextById;
using mom::XMLRSData::ResourceFetchCount;

class MessageCacheTest : public ::testing::Test {
 protected:
  void SetUp() override { com::RunRegistrationEntry(MOM_SUITE_LIBRARY, "DllRegisterServer"); }
  testing_support::TempDir dir_;
  testing_support::ScopedEnv env_{"MOM_REGISTRY", dir_.File("registry.reg")};
};

TEST_F(MessageCacheTest, TextsAreFetchedOncePerKeyAndThread) {
  // Runs on a thread of its own so that the counts start from nothing.
  std::thread([] {
    EXPECT_EQ(ResourceFetchCount(), 0);
    EXPECT_EQ(GetResTextById(10004), "生产订单已关闭");
    EXPECT_EQ(ResourceFetchCount(), 1);
    EXPECT_EQ(GetResTextById(10004), "生产订单已关闭");  // the key is asked again, the text is cached
    EXPECT_EQ(GetResText("mom.message.10004"), "生产订单已关闭");
    EXPECT_EQ(ResourceFetchCount(), 1);
    EXPECT_EQ(GetResText("Z7.Z7M.VBInterface.00099"), "业务类型不正确，不能回写生产订单");
    EXPECT_EQ(ResourceFetchCount(), 2);
    std::thread([] {
      EXPECT_EQ(ResourceFetchCount(), 0);  // another thread has a cache of its own
      EXPECT_EQ(GetResText("mom.message.10004"), "生产订单已关闭");
      EXPECT_EQ(ResourceFetchCount(), 1);
    }).join();
    EXPECT_EQ(ResourceFetchCount(), 2);
  }).join();
}

TEST_F(MessageCacheTest, AMissingServerIsReportedAndNothingIsCached) {
  std::thread([this] {
    testing_support::ScopedEnv empty("MOM_REGISTRY", dir_.File("empty.reg"));
    try {
      GetResText("mom.message.10001");
      FAIL();
    } catch (const com::Error& e) {
      EXPECT_EQ(e.number(), com::kErrCannotCreateObject);
    }
    EXPECT_EQ(ResourceFetchCount(), 0);
  }).join();
}

}  // namespace
