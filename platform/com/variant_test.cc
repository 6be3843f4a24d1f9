#include "platform/com/variant.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <limits>
#include <string>

#include "platform/com/error.h"

namespace com {
namespace {

// Runs `f` and returns the error number it raised, or 0.
int32_t ErrorOf(const std::function<void()>& f) {
  try {
    f();
  } catch (const Error& e) {
    return e.number();
  }
  return 0;
}

TEST(VariantConversion, IntegersFollowTheAutomationRules) {
  struct Case {
    Variant in;
    int32_t expected;
    int32_t error;
  } cases[] = {
      {Variant(), 0, 0},
      {Variant::Null(), 0, kErrInvalidUseOfNull},
      {Variant(2.5), 2, 0},
      {Variant(3.5), 4, 0},
      {Variant(-2.5), -2, 0},
      {Variant(-3.5), -4, 0},
      {Variant(2.4999), 2, 0},
      {Variant(true), -1, 0},
      {Variant("  42 "), 42, 0},
      {Variant("4.5"), 4, 0},
      {Variant("1e3"), 1000, 0},
      {Variant("&H10"), 16, 0},
      {Variant("abc"), 0, kErrTypeMismatch},
      {Variant(""), 0, kErrTypeMismatch},
      {Variant("12abc"), 0, kErrTypeMismatch},
      {Variant(2147483647.0), 2147483647, 0},
      {Variant(2147483647.5), 0, kErrOverflow},
      {Variant(-2147483648.5), static_cast<int32_t>(-2147483648LL), 0},
      {Variant(1e300), 0, kErrOverflow},
      {Variant(Date{45000.75}), 45001, 0},
      {Variant::FromCurrency(25000), 2, 0},  // 2.5 -> 2
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.in.is_null() ? std::string("Null") : c.in.is_empty() ? "Empty" : c.in.ToString());
    int32_t got = 0;
    EXPECT_EQ(ErrorOf([&] { got = c.in.ToI4(); }), c.error);
    if (!c.error) {
      EXPECT_EQ(got, c.expected);
    }
  }
}

TEST(VariantConversion, NarrowIntegersOverflow) {
  EXPECT_EQ(Variant(32767).ToI2(), 32767);
  EXPECT_EQ(ErrorOf([] { Variant(32768).ToI2(); }), kErrOverflow);
  EXPECT_EQ(ErrorOf([] { Variant(-1).ToUI1(); }), kErrOverflow);
  EXPECT_EQ(Variant(255.4).ToUI1(), 255);
  EXPECT_EQ(ErrorOf([] { Variant(255.5).ToUI1(); }), kErrOverflow);  // rounds to 256
}

TEST(VariantConversion, WideIntegersAndCurrencyOverflowExactlyAtTheirBounds) {
  constexpr int64_t kMax = std::numeric_limits<int64_t>::max(), kMin = std::numeric_limits<int64_t>::min();
  constexpr int64_t kMaxCurrency = kMax / 10000;  // 922337203685477 whole units
  struct Case {
    Variant in;
    bool currency;  // else ToI8
    int64_t expected;
    int32_t error;
  } cases[] = {
      {Variant(0x1p63), false, 0, kErrOverflow},  // 2^63: one past the largest
      {Variant(-0x1p63), false, kMin, 0},
      {Variant(0x1p62), false, int64_t{1} << 62, 0},
      {Variant("9223372036854775807"), false, kMax, 0},  // text is read exactly
      {Variant("-9223372036854775808"), false, kMin, 0},
      {Variant("9223372036854775808"), false, 0, kErrOverflow},
      {Variant(" +12 "), false, 12, 0},
      {Variant::FromCurrency(kMax), false, kMaxCurrency + 1, 0},  // .5807 rounds up, exactly
      {Variant::FromCurrency(-25000), false, -2, 0},
      {Variant::FromCurrency(-35000), false, -4, 0},
      {Variant(kMaxCurrency), true, kMaxCurrency * 10000, 0},
      {Variant(-kMaxCurrency), true, -kMaxCurrency * 10000, 0},
      {Variant(kMaxCurrency + 1), true, 0, kErrOverflow},
      {Variant(int32_t{7}), true, 70000, 0},
      {Variant(5e14), true, int64_t{5000000000000000000}, 0},  // beyond half the range
      {Variant(-9e14), true, int64_t{-9000000000000000000}, 0},
      {Variant(9.3e14), true, 0, kErrOverflow},
      {Variant(std::nan("")), true, 0, kErrOverflow},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.in.ToString() + (c.currency ? " to Currency" : " to LongLong"));
    int64_t got = 0;
    EXPECT_EQ(ErrorOf([&] { got = c.currency ? c.in.ToCurrency() : c.in.ToI8(); }), c.error);
    if (!c.error) {
      EXPECT_EQ(got, c.expected);
    }
  }
}

TEST(VariantConversion, TextAndFlags) {
  EXPECT_EQ(Variant().ToString(), "");
  EXPECT_EQ(ErrorOf([] { Variant::Null().ToString(); }), kErrInvalidUseOfNull);
  EXPECT_EQ(Variant(true).ToString(), "True");
  EXPECT_EQ(Variant(2.7).ToString(), "2.7");
  EXPECT_EQ(Variant(0.1 + 0.2).ToString(), "0.3");
  EXPECT_EQ(Variant(1e20).ToString(), "1E+20");
  EXPECT_EQ(Variant(-5.0).ToString(), "-5");
  EXPECT_EQ(Variant::FromCurrency(123450).ToString(), "12.345");
  EXPECT_EQ(Variant("中文").ToString(), "中文");
  EXPECT_TRUE(Variant("true").ToBool());
  EXPECT_FALSE(Variant(" False ").ToBool());
  EXPECT_TRUE(Variant("-1").ToBool());
  EXPECT_FALSE(Variant().ToBool());
  EXPECT_EQ(ErrorOf([] { Variant("yes").ToBool(); }), kErrTypeMismatch);
  EXPECT_EQ(ErrorOf([] { Variant::Null().ToBool(); }), kErrInvalidUseOfNull);
  EXPECT_EQ(Variant(false).ToI4(), 0);
  EXPECT_EQ(ErrorOf([] { Variant::Null().ToR8(); }), kErrInvalidUseOfNull);
  EXPECT_DOUBLE_EQ(Variant(" 2.5 ").ToR8(), 2.5);
}

TEST(VariantConversion, Dates) {
  EXPECT_EQ(Variant().ToDate(), Date{0});
  EXPECT_EQ(FormatDateTime(Variant("2004-03-07 13:05:09").ToDate()), "2004-03-07 13:05:09");
  EXPECT_EQ(FormatDate(Variant("2004/3/7").ToDate()), "2004-03-07");
  EXPECT_EQ(Variant("1900-01-01").ToDate().days, 2);
  EXPECT_EQ(ErrorOf([] { Variant("2004-02-30").ToDate(); }), kErrTypeMismatch);
  EXPECT_EQ(ErrorOf([] { Variant("tomorrow").ToDate(); }), kErrTypeMismatch);
  EXPECT_EQ(ErrorOf([] { Variant(1e9).ToDate(); }), kErrOverflow);
  EXPECT_EQ(Variant(Date{0}).ToString(), "1899-12-30");
  EXPECT_EQ(Variant(Date{38053.5}).ToString(), "2004-03-07 12:00:00");
}

TEST(VariantConversion, ObjectsAndMissing) {
  EXPECT_EQ(ErrorOf([] { Variant().ToUnknown(); }), kErrObjectRequired);
  EXPECT_EQ(ErrorOf([] { Variant(5).ToDispatch(); }), kErrObjectRequired);
  EXPECT_FALSE(Variant(Ptr<IUnknown>()).ToUnknown());
  EXPECT_TRUE(Variant::Missing().is_missing());
  EXPECT_FALSE(Variant().is_missing());
}

TEST(VariantReference, ReadsAndWritesGoToTheTarget) {
  Variant target(5);
  Variant ref = Variant::Ref(&target);
  EXPECT_TRUE(ref.is_ref());
  EXPECT_EQ(ref.type(), VarType::I4);
  EXPECT_EQ(ref.ToString(), "5");
  ref.Deref() = Variant("changed");
  EXPECT_EQ(target.ToString(), "changed");
  Variant copy = ref.Value();
  EXPECT_FALSE(copy.is_ref());
}

TEST(VariantArray, CopiesAreDeep) {
  SafeArray a;
  a.items = {Variant("x"), Variant(1)};
  Variant v(a);
  Variant w = v;
  w.MutableArray().items[0] = Variant("y");
  EXPECT_EQ(v.ToArray().items[0].ToString(), "x");
  EXPECT_EQ(ErrorOf([] { Variant(1).ToArray(); }), kErrTypeMismatch);
}

TEST(Rounding, HalfEvenOnTheWrittenDecimal) {
  struct Case {
    double in;
    int decimals;
    double out;
  } cases[] = {
      {2.5, 0, 2},     {3.5, 0, 4},       {-2.5, 0, -2},  {2.675, 2, 2.68}, {2.665, 2, 2.66},
      {0.125, 2, 0.12}, {0.135, 2, 0.14}, {1.2345, 3, 1.234}, {9.995, 2, 10.0}, {25, 2, 25},
      {2.7000000000000002, 2, 2.7}, {-0.005, 2, -0.0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.in) + " @" + std::to_string(c.decimals));
    EXPECT_EQ(RoundHalfEven(c.in, c.decimals), c.out);
  }
  EXPECT_EQ(RoundDecimal(2.5, 0, Halfway::kAwayFromZero), 3);
  EXPECT_EQ(RoundDecimal(-2.5, 0, Halfway::kAwayFromZero), -3);
  EXPECT_EQ(RoundDecimal(1.0000005, 6, Halfway::kAwayFromZero), 1.000001);
  EXPECT_EQ(RoundDecimal(1.0000004, 6, Halfway::kAwayFromZero), 1.0);
}

}  // namespace
}  // namespace com
