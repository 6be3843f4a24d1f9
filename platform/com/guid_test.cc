#include "platform/com/guid.h"

#include <gtest/gtest.h>

namespace com {
namespace {

TEST(Guid, ParsesAndPrintsTheRegistryForm) {
  auto g = Guid::Parse("{a6a1761c-638e-4763-9ef8-b8d1c9b6860c}");
  ASSERT_TRUE(g);
  EXPECT_EQ(g->ToString(), "{A6A1761C-638E-4763-9EF8-B8D1C9B6860C}");
  EXPECT_EQ(Guid::Parse("A6A1761C-638E-4763-9EF8-B8D1C9B6860C"), g);
  EXPECT_EQ(g->data1, 0xA6A1761Cu);
  EXPECT_EQ(g->data4[7], 0x0C);
  for (const char* bad : {"", "{A6A1761C-638E-4763-9EF8-B8D1C9B6860C", "A6A1761C638E47639EF8B8D1C9B6860C",
                          "{G6A1761C-638E-4763-9EF8-B8D1C9B6860C}", "{A6A1761C+638E-4763-9EF8-B8D1C9B6860C}"})
    EXPECT_FALSE(Guid::Parse(bad)) << bad;
  EXPECT_EQ(kIidIDispatch.ToString(), "{00020400-0000-0000-C000-000000000046}");
}

}  // namespace
}  // namespace com
