// The filter boxes' reading of dates and grades, whatever the text came by.

#include "ecn/filter_input.h"

#include <gtest/gtest.h>

#include "ecn/ecn_apply_change_ref_form.h"

namespace {

using namespace mom::ecn;

TEST(FilterInput, DatesInTheLocaleFormsAndTheOnesReadBefore) {
  struct {
    const char* text;
    const char* date;  // "YYYY-MM-DD hh:mm:ss", or nullptr when refused
  } cases[] = {
      {"2024-3-1", "2024-03-01 00:00:00"},
      {"2024/3/1", "2024-03-01 00:00:00"},
      {"2024.3.1", "2024-03-01 00:00:00"},
      {"2024年3月1日", "2024-03-01 00:00:00"},
      {"2024 年 3 月 1 日", "2024-03-01 00:00:00"},
      {" 2024.12.31 ", "2024-12-31 00:00:00"},
      {"２０２４年１２月３１日", "2024-12-31 00:00:00"},
      {"\xE3\x80\x80" "2024-03-01", "2024-03-01 00:00:00"},  // an ideographic space
      {"2024-03-01 10:30", "2024-03-01 10:30:00"},
      {"2024/03/01T08:05:09", "2024-03-01 08:05:09"},
      {"2024年2月29日", "2024-02-29 00:00:00"},
      {"2023年2月29日", nullptr},
      {"2024年3月1", nullptr},
      {"2024年3月1日x", nullptr},
      {"2024.3-1", nullptr},
      {"2024.3.1 10:00", nullptr},
      {"2024.13.1", nullptr},
      {"2024.3.123", nullptr},
      {"20245.3.1", nullptr},
      {"24.3.1", nullptr},
      {"3月1日", nullptr},
      {"", nullptr},
      {"   ", nullptr},
      {"abc", nullptr},
  };
  for (const auto& c : cases) {
    std::optional<com::Date> d = ParseFilterDate(c.text);
    if (!c.date) {
      EXPECT_FALSE(d.has_value()) << c.text;
      EXPECT_EQ(DateMayLeave(c.text), !*c.text) << c.text;  // an empty box may be left
      continue;
    }
    ASSERT_TRUE(d.has_value()) << c.text;
    EXPECT_EQ(com::FormatDateTime(*d), c.date) << c.text;
    EXPECT_TRUE(DateMayLeave(c.text)) << c.text;
  }
}

TEST(FilterInput, TheGradeKeepsDigitsOnlyAndTheCursorFollows) {
  struct {
    const char* text;
    size_t cursor;  // in characters
    const char* kept;
    size_t kept_cursor;
  } cases[] = {
      {"12", 2, "12", 2},
      {"-3", 2, "3", 1},
      {"abc", 3, "", 0},
      {"1a2b", 2, "12", 1},
      {"1a2b", 4, "12", 2},
      {"x9", 0, "9", 0},
      {"３", 1, "3", 1},
      {"等级5", 2, "5", 0},
      {"等级5", 3, "5", 1},
      {" 7 ", 3, "7", 1},
      {"+1.5e3", 6, "153", 3},
      {"", 0, "", 0},
  };
  for (const auto& c : cases) {
    size_t cursor = c.cursor;
    EXPECT_EQ(GradeDigitsOnly(c.text, &cursor), c.kept) << c.text;
    EXPECT_EQ(cursor, c.kept_cursor) << c.text << " at " << c.cursor;
    EXPECT_EQ(GradeDigitsOnly(c.text), c.kept) << c.text;
    // What is kept may always be left unless it is above 9: the user is never stuck
    // on a character that cannot be typed.
    std::string kept = c.kept;
    EXPECT_EQ(GradeMayLeave(kept), kept.empty() || std::stoll(kept) <= 9) << c.text;
  }
}

}  // namespace
