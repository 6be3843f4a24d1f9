#include "platform/ado/numeric_rules.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>

#include "platform/ado/error.h"

namespace ado {

namespace {

double Checked(double v, int precision, int scale, com::Halfway halfway, std::string_view overflow) {
  const double limit = DecimalLimit(precision, scale);
  // Not finite, or beyond the limit before rounding: NaN fails every comparison.
  if (!(std::fabs(v) < limit)) RaiseDataOverflow(overflow);
  double r = com::RoundDecimal(v, scale, halfway);
  if (!(std::fabs(r) < limit)) RaiseDataOverflow(overflow);  // 999999999.9999996 rounds up to 10^9
  return r == 0 ? 0.0 : r;                                     // no negative zero in stored rows
}

[[noreturn]] void RaiseNotAnInteger(std::string_view text) {
  Raise(kErrProvider, "Conversion failed when converting the varchar value '" + std::string(text) +
                          "' to data type int.");
}

}  // namespace

void RaiseDataOverflow(std::string_view description) {
  throw Error(kErrDataOverflow, std::string(description), kNativeArithmeticOverflow);
}

double DecimalLimit(int precision, int scale) {
  static constexpr double kPowersOfTen[] = {1e0, 1e1, 1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                            1e8, 1e9, 1e10, 1e11, 1e12, 1e13, 1e14, 1e15};
  int digits = (precision <= 0 ? kExactDecimalDigits : std::min(precision, kExactDecimalDigits)) - scale;
  return digits >= 0 ? kPowersOfTen[digits] : std::pow(10.0, digits);
}

double BindDecimal(double v, int precision, int scale) {
  return Checked(v, precision, scale, com::Halfway::kAwayFromZero, kFloatOverflowText);
}

double StoreDecimal(double v, int precision, int scale) {
  return Checked(v, precision, scale, com::Halfway::kToEven, kNumericOverflowText);
}

com::Variant ReturnValueFromText(std::string_view text) {
  double v = 0;
  auto [ptr, ec] = std::from_chars(text.data(), text.data() + text.size(), v);
  bool whole = !text.empty() && ec == std::errc() && ptr == text.data() + text.size() && std::isfinite(v) &&
               v == std::trunc(v) && v >= INT32_MIN && v <= INT32_MAX;
  if (!whole)
    Raise(kErrProvider, "The procedure's return value '" + std::string(text) + "' is not a whole number within int.");
  return com::Variant(static_cast<int32_t>(v));
}

int32_t CastNumberToInt(double v) {
  double t = std::trunc(v);  // decimals are cut off, not rounded
  if (!(t >= INT32_MIN && t <= INT32_MAX)) Raise(kErrProvider, std::string(kIntOverflowText));
  return static_cast<int32_t>(t);
}

int32_t CastTextToInt(std::string_view text) {
  size_t first = text.find_first_not_of(" \t");
  if (first == std::string_view::npos) return 0;
  std::string_view digits = text.substr(first, text.find_last_not_of(" \t") - first + 1);
  bool negative = digits.front() == '-';
  if (digits.front() == '-' || digits.front() == '+') digits.remove_prefix(1);
  if (digits.empty() || digits.find_first_not_of("0123456789") != std::string_view::npos) RaiseNotAnInteger(text);
  int64_t v = 0;
  for (char c : digits) {
    v = v * 10 + (c - '0');
    if (v > int64_t{INT32_MAX} + 1) break;
  }
  if (negative) v = -v;
  if (v < INT32_MIN || v > INT32_MAX) Raise(kErrProvider, std::string(kIntOverflowText));
  return static_cast<int32_t>(v);
}

std::string MoneyText(int64_t row_version) {
  // The magnitude as unsigned so that the most negative value has one too.
  uint64_t magnitude = row_version < 0 ? 0 - static_cast<uint64_t>(row_version) : static_cast<uint64_t>(row_version);
  char buf[48];
  int n = std::snprintf(buf, sizeof buf, "%s%llu.%04llu", row_version < 0 ? "-" : "",
                        static_cast<unsigned long long>(magnitude / 10000),
                        static_cast<unsigned long long>(magnitude % 10000));
  std::string text(buf, static_cast<size_t>(n));
  if (text.size() < 30) text.append(30 - text.size(), ' ');
  return text;
}

}  // namespace ado
