#include "platform/ado/postgres/pg_values.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>

#include "platform/ado/date_text.h"
#include "platform/com/error.h"

namespace ado::postgres {

namespace {

constexpr int kVarHeader = 4;  // the modifier of a sized type counts this header

template <class T>
std::optional<T> ParseInteger(std::string_view text) {
  T v{};
  auto [ptr, ec] = std::from_chars(text.data(), text.data() + text.size(), v);
  if (ec != std::errc() || ptr != text.data() + text.size()) return std::nullopt;
  return v;
}

std::optional<double> ParseDouble(std::string_view text) {
  std::string s(text);
  char* end = nullptr;
  double v = std::strtod(s.c_str(), &end);
  if (s.empty() || end != s.c_str() + s.size()) return std::nullopt;
  return v;
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// bytea in the hex output form "\x0a1b..." (the server's default).
std::optional<com::Variant> ReadBytes(std::string_view text) {
  if (text.size() < 2 || text[0] != '\\' || text[1] != 'x' || text.size() % 2 != 0) return std::nullopt;
  com::SafeArray bytes;
  bytes.items.reserve((text.size() - 2) / 2);
  for (size_t i = 2; i + 1 < text.size(); i += 2) {
    int hi = HexDigit(text[i]), lo = HexDigit(text[i + 1]);
    if (hi < 0 || lo < 0) return std::nullopt;
    bytes.items.emplace_back(static_cast<uint8_t>(hi * 16 + lo));
  }
  return com::Variant(std::move(bytes));
}

// "2024-01-02 10:11:12.345+08" without its zone offset (the session's own zone).
std::string_view WithoutOffset(std::string_view text) {
  size_t colon = text.rfind(':');
  if (colon == std::string_view::npos) return text;
  size_t sign = text.find_first_of("+-", colon);
  if (sign == std::string_view::npos) {
    sign = text.find_last_of("+-");
    if (sign == std::string_view::npos || sign < 10) return text;
  }
  return text.substr(0, sign);
}

}  // namespace

ColumnInfo DescribeColumn(std::string name, unsigned oid, int typmod) {
  ColumnInfo info;
  info.name = std::move(name);
  switch (oid) {
    case kInt2Oid: info.type = adSmallInt; break;
    case kInt4Oid: info.type = adInteger; break;
    case kInt8Oid: info.type = adBigInt; break;
    case kNumericOid:
      info.type = adDecimal;
      if (typmod >= kVarHeader) {
        int v = typmod - kVarHeader;
        info.precision = static_cast<uint8_t>(std::min((v >> 16) & 0xFFFF, 255));
        info.scale = static_cast<uint8_t>(v & 0x7FF);
      } else {
        info.precision = 38;  // unconstrained
      }
      break;
    case kFloat4Oid: info.type = adSingle; break;
    case kFloat8Oid: info.type = adDouble; break;
    case kBoolOid: info.type = adBoolean; break;
    case kDateOid:
    case kTimestampOid:
    case kTimestamptzOid: info.type = adDate; break;
    case kBpcharOid:
      info.type = adWChar;
      info.size = typmod >= kVarHeader ? typmod - kVarHeader : 0;
      break;
    case kVarcharOid:
      info.type = adVarWChar;
      info.size = typmod >= kVarHeader ? typmod - kVarHeader : 0;
      break;
    case kByteaOid: info.type = adVarBinary; break;
    default: info.type = adVarWChar; break;  // text, unknown and the rest, as text
  }
  return info;
}

com::Variant ReadValue(std::string_view text, unsigned oid, const ColumnInfo& info) {
  switch (oid) {
    case kInt2Oid:
      if (auto v = ParseInteger<int16_t>(text)) return com::Variant(*v);
      break;
    case kInt4Oid:
      if (auto v = ParseInteger<int32_t>(text)) return com::Variant(*v);
      break;
    case kInt8Oid:
      if (auto v = ParseInteger<int64_t>(text)) return com::Variant(*v);
      break;
    case kNumericOid:
    case kFloat4Oid:
    case kFloat8Oid:
      if (auto v = ParseDouble(text)) return com::Variant(*v);
      break;
    case kBoolOid:
      if (text == "t") return com::Variant(true);
      if (text == "f") return com::Variant(false);
      break;
    case kDateOid:
    case kTimestampOid:
    case kTimestamptzOid:
      if (auto d = ParseDateText(oid == kTimestamptzOid ? WithoutOffset(text) : text))
        return com::Variant(*d);
      break;  // infinity, BC dates: as text
    case kByteaOid:
      if (auto v = ReadBytes(text)) return *v;
      break;
    default: break;
  }
  (void)info;
  return com::Variant(std::string(text));
}

std::optional<std::string> ParameterText(const com::Variant& value) {
  const com::Variant& v = value.Deref();
  switch (v.type()) {
    case com::VarType::Empty:
    case com::VarType::Null: return std::nullopt;
    case com::VarType::Bool: return std::string(v.ToBool() ? "true" : "false");
    case com::VarType::I2:
    case com::VarType::I4:
    case com::VarType::I8:
    case com::VarType::UI1: return std::to_string(v.ToI8());
    case com::VarType::R8: {
      double d = v.ToR8();
      if (std::isnan(d)) return std::string("NaN");
      if (std::isinf(d)) return std::string(d > 0 ? "Infinity" : "-Infinity");
      char buf[64];
      auto [ptr, ec] = std::to_chars(buf, buf + sizeof buf, d);
      return std::string(buf, ptr);
    }
    case com::VarType::Currency: {
      int64_t scaled = v.ToCurrency();
      uint64_t magnitude = scaled < 0 ? 0 - static_cast<uint64_t>(scaled) : static_cast<uint64_t>(scaled);
      char buf[48];
      int n = std::snprintf(buf, sizeof buf, "%s%llu.%04llu", scaled < 0 ? "-" : "",
                            static_cast<unsigned long long>(magnitude / 10000),
                            static_cast<unsigned long long>(magnitude % 10000));
      return std::string(buf, static_cast<size_t>(n));
    }
    case com::VarType::Date: {
      std::string text = DateText(v.ToDate());
      if (text.size() == 19) text += ".000";
      return text;
    }
    case com::VarType::String: return v.ToString();
    case com::VarType::Array: {
      static constexpr char kHex[] = "0123456789abcdef";
      const auto& items = v.ToArray().items;
      std::string text = "\\x";
      text.reserve(2 + items.size() * 2);
      for (const com::Variant& b : items) {
        uint8_t byte = b.ToUI1();
        text += kHex[byte >> 4];
        text += kHex[byte & 0xF];
      }
      return text;
    }
    default: com::Raise(com::kErrTypeMismatch);
  }
}

unsigned ParameterType(const com::Variant& value) {
  switch (value.Deref().type()) {
    case com::VarType::Bool: return kBoolOid;
    case com::VarType::I2:
    case com::VarType::UI1: return kInt2Oid;
    case com::VarType::I4: return kInt4Oid;
    case com::VarType::I8: return kInt8Oid;
    case com::VarType::R8: return kFloat8Oid;
    case com::VarType::Currency: return kNumericOid;
    case com::VarType::Date: return kTimestampOid;
    case com::VarType::Array: return kByteaOid;
    default: return 0;
  }
}

}  // namespace ado::postgres
