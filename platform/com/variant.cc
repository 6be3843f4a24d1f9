#include "platform/com/variant.h"

#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>

#include "platform/com/dispatch.h"
#include "platform/com/error.h"
#include "platform/com/status.h"

namespace com {

// Data sets keep one Variant per field of every row.
static_assert(sizeof(Variant) <= 40, "Variant grew: a data set of 40,000 lines feels every byte");

namespace {

constexpr double kMinDate = -657434.0;   // 100-01-01
constexpr double kMaxDate = 2958465.99999;  // 9999-12-31 23:59:59

std::string_view Trim(std::string_view s) {
  while (!s.empty() && std::isspace(static_cast<unsigned char>(s.front()))) s.remove_prefix(1);
  while (!s.empty() && std::isspace(static_cast<unsigned char>(s.back()))) s.remove_suffix(1);
  return s;
}

bool EqualsNoCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i])))
      return false;
  return true;
}

// Numeric text as automation reads it: optional sign, digits, fraction, exponent, or
// &H / &O prefixed integers. Anything else is a type mismatch.
double ParseNumber(std::string_view text) {
  std::string_view s = Trim(text);
  if (s.empty()) Raise(kErrTypeMismatch);
  if (s.size() > 2 && s[0] == '&' && (s[1] == 'H' || s[1] == 'h' || s[1] == 'O' || s[1] == 'o')) {
    int base = (s[1] == 'H' || s[1] == 'h') ? 16 : 8;
    uint64_t v = 0;
    auto [ptr, ec] = std::from_chars(s.data() + 2, s.data() + s.size(), v, base);
    if (ec != std::errc() || ptr != s.data() + s.size()) Raise(kErrTypeMismatch);
    return static_cast<double>(v);
  }
  std::string_view digits = s;
  if (!digits.empty() && digits.front() == '+') digits.remove_prefix(1);
  double v = 0;
  auto [ptr, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), v);
  if (ptr != digits.data() + digits.size()) Raise(kErrTypeMismatch);
  if (ec == std::errc::result_out_of_range) Raise(kErrOverflow);
  if (ec != std::errc()) Raise(kErrTypeMismatch);
  return v;
}

std::string FormatCurrency(int64_t scaled) {
  bool negative = scaled < 0;
  uint64_t magnitude = negative ? 0 - static_cast<uint64_t>(scaled) : static_cast<uint64_t>(scaled);
  std::string text = std::to_string(magnitude / 10000);
  uint64_t fraction = magnitude % 10000;
  if (fraction) {
    char buf[8];
    std::snprintf(buf, sizeof buf, ".%04llu", static_cast<unsigned long long>(fraction));
    std::string f = buf;
    while (f.back() == '0') f.pop_back();
    text += f;
  }
  return negative ? "-" + text : text;
}

}  // namespace

const char* VarTypeName(VarType t) {
  switch (t) {
    case VarType::Empty: return "Empty";
    case VarType::Null: return "Null";
    case VarType::I2: return "Integer";
    case VarType::I4: return "Long";
    case VarType::R8: return "Double";
    case VarType::Currency: return "Currency";
    case VarType::Date: return "Date";
    case VarType::String: return "String";
    case VarType::Dispatch: return "Object";
    case VarType::Error: return "Error";
    case VarType::Bool: return "Boolean";
    case VarType::Variant: return "Variant";
    case VarType::Unknown: return "Unknown";
    case VarType::UI1: return "Byte";
    case VarType::I8: return "LongLong";
    case VarType::Array: return "Array";
  }
  return "Unknown";
}

Variant::Variant(Ptr<IDispatch> v) : type_(VarType::Dispatch) {
  Ptr<IUnknown> u(static_cast<IUnknown*>(v.get()));
  value_ = std::move(u);
}

Variant::Variant(Ptr<IUnknown> v) : value_(std::move(v)), type_(VarType::Unknown) {}

Variant::Variant(SafeArray v) : value_(std::make_unique<SafeArray>(std::move(v))), type_(VarType::Array) {}

Variant::Variant(const Variant& o) : type_(o.type_) {
  if (auto* a = std::get_if<std::unique_ptr<SafeArray>>(&o.value_))
    value_ = std::make_unique<SafeArray>(**a);
  else if (auto* s = std::get_if<std::string>(&o.value_))
    value_ = *s;
  else if (auto* p = std::get_if<Ptr<IUnknown>>(&o.value_))
    value_ = *p;
  else if (auto* i = std::get_if<int64_t>(&o.value_))
    value_ = *i;
  else if (auto* d = std::get_if<double>(&o.value_))
    value_ = *d;
  else if (auto* r = std::get_if<Variant*>(&o.value_))
    value_ = *r;
}

Variant& Variant::operator=(const Variant& o) {
  if (this != &o) {
    Variant copy(o);
    *this = std::move(copy);
  }
  return *this;
}

Variant::~Variant() = default;

Variant Variant::Null() { return Variant(VarType::Null, std::monostate{}); }
Variant Variant::Missing() { return Variant(VarType::Error, int64_t{DISP_E_PARAMNOTFOUND}); }
Variant Variant::FromCurrency(int64_t scaled) { return Variant(VarType::Currency, scaled); }
Variant Variant::Ref(Variant* target) { return Variant(VarType::Variant, target); }

bool Variant::is_missing() const {
  const Variant& v = Deref();
  return v.type_ == VarType::Error && std::get<int64_t>(v.value_) == DISP_E_PARAMNOTFOUND;
}

const Variant& Variant::Deref() const {
  const Variant* v = this;
  while (v->type_ == VarType::Variant) v = std::get<Variant*>(v->value_);
  return *v;
}

Variant& Variant::Deref() {
  Variant* v = this;
  while (v->type_ == VarType::Variant) v = std::get<Variant*>(v->value_);
  return *v;
}

int64_t RoundToInteger(double v, int64_t lo, int64_t hi) {
  if (std::isnan(v)) Raise(kErrOverflow);
  double r = std::nearbyint(v);  // the default rounding mode sends halves to even
  // 2^63 is the first double past int64; a bound near it is not exact as a double, so
  // the comparison is made against the bound itself once the value is in range.
  if (!(r >= -0x1p63 && r < 0x1p63)) Raise(kErrOverflow);
  const int64_t i = static_cast<int64_t>(r);
  if (i < lo || i > hi) Raise(kErrOverflow);
  return i;
}

double RoundDecimal(double v, int decimals, Halfway halfway) {
  if (!std::isfinite(v) || decimals < 0) return v;
  char buf[512];
  auto [end, ec] = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::fixed);
  if (ec != std::errc()) return v;
  std::string text(buf, end);
  bool negative = !text.empty() && text[0] == '-';
  if (negative) text.erase(0, 1);
  size_t dot = text.find('.');
  if (dot == std::string::npos || text.size() - dot - 1 <= static_cast<size_t>(decimals)) return v;
  std::string kept = text.substr(0, dot) + text.substr(dot + 1, decimals);
  char first_dropped = text[dot + 1 + decimals];
  bool rest_nonzero = text.find_first_not_of('0', dot + 2 + decimals) != std::string::npos;
  bool up = first_dropped > '5' ||
            (first_dropped == '5' &&
             (rest_nonzero || halfway == Halfway::kAwayFromZero || (kept.back() - '0') % 2 == 1));
  if (up) {
    int i = static_cast<int>(kept.size()) - 1;
    while (i >= 0 && kept[i] == '9') kept[i--] = '0';
    if (i >= 0)
      ++kept[i];
    else
      kept.insert(kept.begin(), '1');
  }
  std::string result = kept.substr(0, kept.size() - decimals);
  if (decimals > 0) result += "." + kept.substr(kept.size() - decimals);
  double r = std::strtod(result.c_str(), nullptr);
  return negative ? -r : r;
}

std::string FormatDouble(double v) {
  if (v == 0) return "0";
  if (std::isnan(v)) return "NaN";
  if (std::isinf(v)) return v > 0 ? "Infinity" : "-Infinity";
  char buf[64];
  std::snprintf(buf, sizeof buf, "%.15G", v);
  std::string s = buf;
  size_t e = s.find('E');
  std::string mantissa = e == std::string::npos ? s : s.substr(0, e);
  std::string exponent = e == std::string::npos ? "" : s.substr(e);
  if (mantissa.find('.') != std::string::npos) {
    while (mantissa.back() == '0') mantissa.pop_back();
    if (mantissa.back() == '.') mantissa.pop_back();
  }
  if (!exponent.empty()) {
    // "E+020" style is not used: strip leading zeros of the exponent digits.
    char sign = exponent[1];
    std::string digits = exponent.substr(2);
    while (digits.size() > 1 && digits[0] == '0') digits.erase(0, 1);
    exponent = std::string("E") + sign + digits;
  }
  return mantissa + exponent;
}

int64_t Variant::ToI8() const {
  const Variant& v = Deref();
  constexpr int64_t lo = std::numeric_limits<int64_t>::min(), hi = std::numeric_limits<int64_t>::max();
  switch (v.type_) {
    case VarType::Empty: return 0;
    case VarType::Null: Raise(kErrInvalidUseOfNull);
    case VarType::I2:
    case VarType::I4:
    case VarType::I8:
    case VarType::UI1:
    case VarType::Bool: return std::get<int64_t>(v.value_);
    case VarType::Currency: {
      // Exactly, in ten-thousandths: halfway to the even integer.
      int64_t scaled = std::get<int64_t>(v.value_);
      int64_t whole = scaled / 10000, rest = scaled % 10000;
      if (rest > 5000 || (rest == 5000 && whole % 2 != 0)) ++whole;
      if (rest < -5000 || (rest == -5000 && whole % 2 != 0)) --whole;
      return whole;
    }
    case VarType::R8:
    case VarType::Date: return RoundToInteger(std::get<double>(v.value_), lo, hi);
    case VarType::String: {
      // Whole numbers exactly, beyond what a double holds; anything else as a number.
      std::string_view s = Trim(std::get<std::string>(v.value_));
      if (!s.empty() && s.front() == '+') s.remove_prefix(1);
      int64_t exact = 0;
      auto [ptr, ec] = std::from_chars(s.data(), s.data() + s.size(), exact);
      if (ptr == s.data() + s.size() && !s.empty()) {
        if (ec == std::errc::result_out_of_range) Raise(kErrOverflow);
        if (ec == std::errc()) return exact;
      }
      return RoundToInteger(ParseNumber(std::get<std::string>(v.value_)), lo, hi);
    }
    default: Raise(kErrTypeMismatch);
  }
}

int32_t Variant::ToI4() const {
  const Variant& v = Deref();
  if (v.type_ == VarType::R8 || v.type_ == VarType::Date)
    return static_cast<int32_t>(RoundToInteger(std::get<double>(v.value_), INT32_MIN, INT32_MAX));
  int64_t i = ToI8();
  if (i < INT32_MIN || i > INT32_MAX) Raise(kErrOverflow);
  return static_cast<int32_t>(i);
}

int16_t Variant::ToI2() const {
  int32_t i = ToI4();
  if (i < INT16_MIN || i > INT16_MAX) Raise(kErrOverflow);
  return static_cast<int16_t>(i);
}

uint8_t Variant::ToUI1() const {
  int32_t i = ToI4();
  if (i < 0 || i > 255) Raise(kErrOverflow);
  return static_cast<uint8_t>(i);
}

double Variant::ToR8() const {
  const Variant& v = Deref();
  switch (v.type_) {
    case VarType::Empty: return 0;
    case VarType::Null: Raise(kErrInvalidUseOfNull);
    case VarType::I2:
    case VarType::I4:
    case VarType::I8:
    case VarType::UI1:
    case VarType::Bool: return static_cast<double>(std::get<int64_t>(v.value_));
    case VarType::Currency: return static_cast<double>(std::get<int64_t>(v.value_)) / 10000.0;
    case VarType::R8:
    case VarType::Date: return std::get<double>(v.value_);
    case VarType::String: return ParseNumber(std::get<std::string>(v.value_));
    default: Raise(kErrTypeMismatch);
  }
}

bool Variant::ToBool() const {
  const Variant& v = Deref();
  switch (v.type_) {
    case VarType::Empty: return false;
    case VarType::Null: Raise(kErrInvalidUseOfNull);
    case VarType::String: {
      std::string_view s = Trim(std::get<std::string>(v.value_));
      if (EqualsNoCase(s, "True")) return true;
      if (EqualsNoCase(s, "False")) return false;
      return ParseNumber(s) != 0;
    }
    case VarType::R8:
    case VarType::Date: return std::get<double>(v.value_) != 0;
    case VarType::I2:
    case VarType::I4:
    case VarType::I8:
    case VarType::UI1:
    case VarType::Bool:
    case VarType::Currency: return std::get<int64_t>(v.value_) != 0;
    default: Raise(kErrTypeMismatch);
  }
}

std::string Variant::ToString() const {
  const Variant& v = Deref();
  switch (v.type_) {
    case VarType::Empty: return {};
    case VarType::Null: Raise(kErrInvalidUseOfNull);
    case VarType::String: return std::get<std::string>(v.value_);
    case VarType::Bool: return std::get<int64_t>(v.value_) ? "True" : "False";
    case VarType::I2:
    case VarType::I4:
    case VarType::I8:
    case VarType::UI1: return std::to_string(std::get<int64_t>(v.value_));
    case VarType::Currency: return FormatCurrency(std::get<int64_t>(v.value_));
    case VarType::R8: return FormatDouble(std::get<double>(v.value_));
    case VarType::Date: {
      Date d{std::get<double>(v.value_)};
      CivilTime t = CivilFromDate(d);
      bool has_time = t.hour || t.minute || t.second;
      if (std::trunc(d.days) == 0 && has_time) return FormatDateTime(d).substr(11);
      return has_time ? FormatDateTime(d) : FormatDate(d);
    }
    default: Raise(kErrTypeMismatch);
  }
}

Date Variant::ToDate() const {
  const Variant& v = Deref();
  double days;
  switch (v.type_) {
    case VarType::Empty: return Date{0};
    case VarType::Null: Raise(kErrInvalidUseOfNull);
    case VarType::Date: return Date{std::get<double>(v.value_)};
    case VarType::String: {
      if (auto d = ParseDate(std::get<std::string>(v.value_))) return *d;
      days = ParseNumber(std::get<std::string>(v.value_));
      break;
    }
    case VarType::Bool: Raise(kErrTypeMismatch);
    default: days = ToR8();
  }
  if (days < kMinDate || days > kMaxDate) Raise(kErrOverflow);
  return Date{days};
}

int64_t Variant::ToCurrency() const {
  const Variant& v = Deref();
  if (v.type_ == VarType::Currency) return std::get<int64_t>(v.value_);
  if (v.type_ == VarType::I2 || v.type_ == VarType::I4 || v.type_ == VarType::I8 || v.type_ == VarType::UI1 ||
      v.type_ == VarType::Bool) {
    // Whole numbers exactly: the range is +-922337203685477.5807.
    int64_t i = std::get<int64_t>(v.value_);
    constexpr int64_t kMaxWhole = std::numeric_limits<int64_t>::max() / 10000;
    if (i > kMaxWhole || i < -kMaxWhole) Raise(kErrOverflow);
    return i * 10000;
  }
  double d = ToR8() * 10000.0;
  return RoundToInteger(d, std::numeric_limits<int64_t>::min(), std::numeric_limits<int64_t>::max());
}

Ptr<IUnknown> Variant::ToUnknown() const {
  const Variant& v = Deref();
  if (v.type_ == VarType::Dispatch || v.type_ == VarType::Unknown) return std::get<Ptr<IUnknown>>(v.value_);
  Raise(kErrObjectRequired);
}

Ptr<IDispatch> Variant::ToDispatch() const {
  Ptr<IUnknown> u = ToUnknown();
  if (!u) return {};
  Ptr<IDispatch> d = u.As<IDispatch>();
  if (!d) Raise(kErrNoSuchMember);
  return d;
}

const SafeArray& Variant::ToArray() const {
  const Variant& v = Deref();
  if (v.type_ != VarType::Array) Raise(kErrTypeMismatch);
  return *std::get<std::unique_ptr<SafeArray>>(v.value_);
}

SafeArray& Variant::MutableArray() {
  Variant& v = Deref();
  if (v.type_ != VarType::Array) Raise(kErrTypeMismatch);
  return *std::get<std::unique_ptr<SafeArray>>(v.value_);
}

Variant Variant::ConvertTo(VarType t) const {
  switch (t) {
    case VarType::Variant: return Value();
    case VarType::Empty: return Variant();
    case VarType::Null: return Null();
    case VarType::I2: return Variant(ToI2());
    case VarType::I4: return Variant(ToI4());
    case VarType::I8: return Variant(ToI8());
    case VarType::UI1: return Variant(ToUI1());
    case VarType::R8: return Variant(ToR8());
    case VarType::Bool: return Variant(ToBool());
    case VarType::String: return Variant(ToString());
    case VarType::Date: return Variant(ToDate());
    case VarType::Currency: return FromCurrency(ToCurrency());
    case VarType::Dispatch: {
      Ptr<IUnknown> u = ToUnknown();
      Variant r(u);
      r.type_ = VarType::Dispatch;
      return r;
    }
    case VarType::Unknown: return Variant(ToUnknown());
    case VarType::Array: return Variant(ToArray());
    case VarType::Error: Raise(kErrTypeMismatch);
  }
  Raise(kErrTypeMismatch);
}

bool operator==(const Variant& a_in, const Variant& b_in) {
  const Variant& a = a_in.Deref();
  const Variant& b = b_in.Deref();
  if (a.type_ != b.type_) return false;
  if (auto* x = std::get_if<std::unique_ptr<SafeArray>>(&a.value_)) {
    const auto& y = std::get<std::unique_ptr<SafeArray>>(b.value_);
    return (*x)->lower_bound == y->lower_bound && (*x)->items == y->items;
  }
  return a.value_ == b.value_;
}

}  // namespace com
