#include "platform/ado/numeric_rules.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <limits>
#include <optional>

#include "platform/ado/error.h"

namespace {

constexpr double kInf = std::numeric_limits<double>::infinity();
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

// The value, or the error's number and description.
struct Outcome {
  std::optional<double> value;
  int32_t number = 0;
  std::string description;
  int native = 0;
};

Outcome Attempt(const std::function<double()>& f) {
  Outcome o;
  try {
    o.value = f();
  } catch (const ado::Error& e) {
    o.number = e.number();
    o.description = e.description();
    o.native = e.native_code();
  }
  return o;
}

TEST(NumericRules, DecimalsKeepTheirScaleAndRefuseWhatTheyCannotHoldExactly) {
  const struct {
    double in;
    int precision, scale;
    std::optional<double> bound;   // a caller's value: halves away from zero
    std::optional<double> stored;  // a procedure's result: halves to even
  } cases[] = {
      {0.0078125, 28, 6, 0.007813, 0.007812},
      {-0.0078125, 28, 6, -0.007813, -0.007812},
      {0.0078135, 28, 6, 0.007814, 0.007814},
      {1.23456789, 28, 6, 1.234568, 1.234568},
      {0.1 + 0.2, 28, 6, 0.3, 0.3},
      {-0.0000001, 28, 6, 0.0, 0.0},  // no negative zero
      {999999999.999999, 28, 6, 999999999.999999, 999999999.999999},
      {-999999999.999999, 28, 6, -999999999.999999, -999999999.999999},
      {999999999.9999996, 28, 6, std::nullopt, std::nullopt},  // rounds up to 10^9
      {1e9, 28, 6, std::nullopt, std::nullopt},
      {1e23, 28, 6, std::nullopt, std::nullopt},
      {1e308, 28, 6, std::nullopt, std::nullopt},
      {kInf, 28, 6, std::nullopt, std::nullopt},
      {-kInf, 28, 6, std::nullopt, std::nullopt},
      {kNaN, 28, 6, std::nullopt, std::nullopt},
      {99.995, 4, 2, std::nullopt, std::nullopt},  // decimal(4,2) holds below 100
      {99.994, 4, 2, 99.99, 99.99},
      {12345678901234.5, 28, 2, std::nullopt, std::nullopt},  // 14 + 2 digits: beyond a double
      {1234567890123.5, 0, 0, 1234567890124, 1234567890124},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << c.in << " as decimal(" << c.precision << "," << c.scale << ")");
    Outcome bound = Attempt([&] { return ado::BindDecimal(c.in, c.precision, c.scale); });
    Outcome stored = Attempt([&] { return ado::StoreDecimal(c.in, c.precision, c.scale); });
    EXPECT_EQ(bound.value, c.bound);
    EXPECT_EQ(stored.value, c.stored);
    if (bound.value && *bound.value == 0) {
      EXPECT_FALSE(std::signbit(*bound.value));
    }
    if (!c.bound) {
      EXPECT_EQ(bound.number, ado::kErrDataOverflow);
      EXPECT_EQ(bound.native, ado::kNativeArithmeticOverflow);
      EXPECT_EQ(bound.description, "Arithmetic overflow error converting float to data type numeric.");
      EXPECT_EQ(stored.number, ado::kErrDataOverflow);
      EXPECT_EQ(stored.description, "Arithmetic overflow error converting numeric to data type numeric.");
    }
  }
  EXPECT_EQ(ado::DecimalLimit(28, 6), 1e9);
  EXPECT_EQ(ado::DecimalLimit(20, 6), 1e9);
  EXPECT_EQ(ado::DecimalLimit(10, 6), 1e4);
}

TEST(NumericRules, ReturnValuesAreWholeNumbersWithinInt) {
  const struct {
    const char* text;
    std::optional<int32_t> value;
  } cases[] = {
      {"0", 0},          {"90001", 90001},        {"-5", -5},       {"90001.0", 90001},
      {"2147483647", 2147483647},                 {"2147483648", std::nullopt},
      {"90001.5", std::nullopt},                  {"abc", std::nullopt}, {"", std::nullopt},
      {"NaN", std::nullopt},                      {"1019992 ", std::nullopt},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    std::optional<int32_t> got;
    int32_t number = 0;
    try {
      got = ado::ReturnValueFromText(c.text).ToI4();
    } catch (const ado::Error& e) {
      number = e.number();
      EXPECT_NE(e.description().find(std::string("'") + c.text + "'"), std::string::npos) << e.description();
    }
    EXPECT_EQ(got, c.value);
    if (!c.value) {
      EXPECT_EQ(number, ado::kErrProvider);
    }
  }
}

TEST(NumericRules, CastToIntAsTheOriginalServerDoesIt) {
  const struct {
    std::optional<const char*> text;  // else the number
    double number;
    std::optional<int32_t> value;
    const char* error;
  } cases[] = {
      {"4", 0, 4, nullptr},
      {"  -12 ", 0, -12, nullptr},
      {"+7", 0, 7, nullptr},
      {"", 0, 0, nullptr},
      {"   ", 0, 0, nullptr},
      {"4.7", 0, std::nullopt, "Conversion failed when converting the varchar value '4.7' to data type int."},
      {"abc", 0, std::nullopt, "Conversion failed when converting the varchar value 'abc' to data type int."},
      {"-", 0, std::nullopt, "Conversion failed when converting the varchar value '-' to data type int."},
      {"2147483648", 0, std::nullopt, "Arithmetic overflow error converting expression to data type int."},
      {"-2147483648", 0, INT32_MIN, nullptr},
      {std::nullopt, 4.7, 4, nullptr},
      {std::nullopt, -4.7, -4, nullptr},
      {std::nullopt, 2147483647.9, 2147483647, nullptr},
      {std::nullopt, 2147483648.0, std::nullopt, "Arithmetic overflow error converting expression to data type int."},
      {std::nullopt, kNaN, std::nullopt, "Arithmetic overflow error converting expression to data type int."},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text ? *c.text : std::to_string(c.number));
    std::optional<int32_t> got;
    std::string error;
    try {
      got = c.text ? ado::CastTextToInt(*c.text) : ado::CastNumberToInt(c.number);
    } catch (const ado::Error& e) {
      error = e.description();
    }
    EXPECT_EQ(got, c.value);
    EXPECT_EQ(error, c.error ? c.error : "");
  }
}

}  // namespace
