#include "platform/com/date.h"

#include <gtest/gtest.h>

namespace com {
namespace {

TEST(Date, CivilRoundTrip) {
  struct Case {
    const char* text;
    double days;
  } cases[] = {
      {"1899-12-30 00:00:00", 0},     {"1899-12-31 00:00:00", 1},     {"1900-01-01 00:00:00", 2},
      {"2000-02-29 06:00:00", 36585.25}, {"1899-12-29 12:00:00", -1.5}, {"9999-12-31 00:00:00", 2958465},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    auto d = ParseDate(c.text);
    ASSERT_TRUE(d);
    EXPECT_DOUBLE_EQ(d->days, c.days);
    EXPECT_EQ(FormatDateTime(*d), c.text);
  }
  EXPECT_FALSE(ParseDate("2001-13-01"));
  EXPECT_FALSE(ParseDate("2001-01-01 25:00"));
  EXPECT_FALSE(ParseDate("2001-01-01x"));
  EXPECT_TRUE(ParseDate("2026-12-08T10:11:12.345"));
}

}  // namespace
}  // namespace com
