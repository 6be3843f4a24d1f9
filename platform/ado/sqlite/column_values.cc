#include "platform/ado/sqlite/column_values.h"

#include <sqlite3.h>

#include <charconv>
#include <cstdlib>
#include <limits>

#include "platform/ado/date_text.h"
#include "platform/ado/text.h"
#include "platform/com/error.h"

namespace ado::sqlite {

namespace {

bool FitsI4(int64_t v) { return v >= std::numeric_limits<int32_t>::min() && v <= std::numeric_limits<int32_t>::max(); }

com::Variant IntegerValue(int64_t v) { return FitsI4(v) ? com::Variant(static_cast<int32_t>(v)) : com::Variant(v); }

com::Variant BlobValue(sqlite3_stmt* stmt, int i) {
  com::SafeArray bytes;
  const auto* data = static_cast<const uint8_t*>(sqlite3_column_blob(stmt, i));
  int n = sqlite3_column_bytes(stmt, i);
  bytes.items.reserve(static_cast<size_t>(n));
  for (int k = 0; k < n; ++k) bytes.items.emplace_back(data[k]);
  return com::Variant(std::move(bytes));
}

std::string ColumnText(sqlite3_stmt* stmt, int i) {
  const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(stmt, i));
  return std::string(text ? text : "", static_cast<size_t>(sqlite3_column_bytes(stmt, i)));
}

// The value by its storage class alone.
com::Variant NaturalValue(sqlite3_stmt* stmt, int i) {
  switch (sqlite3_column_type(stmt, i)) {
    case SQLITE_INTEGER: return IntegerValue(sqlite3_column_int64(stmt, i));
    case SQLITE_FLOAT: return com::Variant(sqlite3_column_double(stmt, i));
    case SQLITE_BLOB: return BlobValue(stmt, i);
    case SQLITE_NULL: return com::Variant::Null();
    default: return com::Variant(ColumnText(stmt, i));
  }
}

bool IsNumber(int storage) { return storage == SQLITE_INTEGER || storage == SQLITE_FLOAT; }

// "DECIMAL ( 28 , 6 )" -> base "DECIMAL", arguments {28, 6}; whitespace inside the base
// collapses to one blank ("DOUBLE PRECISION").
void SplitDeclaredType(std::string_view declared, std::string& base, int args[2], int& arg_count) {
  std::string upper;
  for (char c : declared) upper += (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
  size_t open = upper.find('(');
  std::string_view head = TrimBlanks(std::string_view(upper).substr(0, open));
  base.clear();
  for (char c : head) {
    bool blank = c == ' ' || c == '\t';
    if (blank && !base.empty() && base.back() == ' ') continue;
    base += blank ? ' ' : c;
  }
  arg_count = 0;
  if (open == std::string::npos) return;
  std::string_view rest = std::string_view(upper).substr(open + 1);
  while (arg_count < 2) {
    rest = TrimBlanks(rest);
    int v = 0;
    auto [ptr, ec] = std::from_chars(rest.data(), rest.data() + rest.size(), v);
    if (ec != std::errc()) break;
    args[arg_count++] = v;
    rest.remove_prefix(static_cast<size_t>(ptr - rest.data()));
    rest = TrimBlanks(rest);
    if (rest.empty() || rest.front() != ',') break;
    rest.remove_prefix(1);
  }
}

}  // namespace

ColumnInfo ColumnFromDeclaredType(std::string_view name, std::string_view declared) {
  ColumnInfo info;
  info.name = std::string(name);
  std::string base;
  int args[2] = {0, 0};
  int n = 0;
  SplitDeclaredType(declared, base, args, n);
  auto is = [&base](std::initializer_list<std::string_view> names) {
    for (std::string_view x : names)
      if (base == x) return true;
    return false;
  };
  auto sized = [&](DataType t) {
    info.type = t;
    info.size = n >= 1 ? args[0] : (t == adChar || t == adWChar ? 1 : 0);
  };
  if (is({"INT", "INTEGER", "MEDIUMINT"})) {
    info.type = adInteger;
  } else if (is({"BIGINT", "INT8", "UNSIGNED BIG INT", "ROWVERSION", "TIMESTAMP"})) {
    // TIMESTAMP is the old name of a row version, not a date.
    info.type = adBigInt;
  } else if (is({"SMALLINT", "INT2"})) {
    info.type = adSmallInt;
  } else if (is({"TINYINT"})) {
    info.type = adTinyInt;
  } else if (is({"BIT", "BOOLEAN", "BOOL"})) {
    info.type = adBoolean;
  } else if (is({"DECIMAL", "NUMERIC", "DEC"})) {
    info.type = adDecimal;
    info.precision = static_cast<uint8_t>(n >= 1 ? args[0] : 18);
    info.scale = static_cast<uint8_t>(n >= 2 ? args[1] : 0);
  } else if (is({"MONEY"})) {
    info.type = adDecimal;
    info.precision = 19;
    info.scale = 4;
  } else if (is({"SMALLMONEY"})) {
    info.type = adDecimal;
    info.precision = 10;
    info.scale = 4;
  } else if (is({"REAL", "FLOAT", "DOUBLE", "DOUBLE PRECISION"})) {
    info.type = adDouble;
  } else if (is({"DATE", "DATETIME", "SMALLDATETIME", "DATETIME2"})) {
    info.type = adDate;
  } else if (is({"VARCHAR", "CHARACTER VARYING", "VARYING CHARACTER"})) {
    sized(adVarChar);
  } else if (is({"CHAR", "CHARACTER"})) {
    sized(adChar);
  } else if (is({"NVARCHAR", "NATIONAL CHARACTER VARYING", "NATIVE CHARACTER"})) {
    sized(adVarWChar);
  } else if (is({"NCHAR", "NATIONAL CHARACTER"})) {
    sized(adWChar);
  } else if (is({"TEXT", "NTEXT", "CLOB"})) {
    info.type = adVarWChar;
  } else if (is({"BLOB", "VARBINARY", "BINARY", "IMAGE"})) {
    sized(adVarBinary);
  }
  return info;
}

ColumnInfo ColumnAsDeclared(sqlite3_stmt* stmt, int i) {
  const char* name = sqlite3_column_name(stmt, i);
  const char* declared = sqlite3_column_decltype(stmt, i);
  return ColumnFromDeclaredType(name ? name : "", declared ? declared : "");
}

ColumnInfo DescribeColumn(sqlite3_stmt* stmt, int i, bool has_row, bool current_time) {
  return CompleteColumn(ColumnAsDeclared(stmt, i), stmt, i, has_row, current_time);
}

ColumnInfo CompleteColumn(ColumnInfo info, sqlite3_stmt* stmt, int i, bool has_row, bool current_time) {
  if (info.type != adVariant) return info;
  if (current_time) {
    info.type = adDate;
    return info;
  }
  if (!has_row) return info;
  switch (sqlite3_column_type(stmt, i)) {
    case SQLITE_INTEGER: info.type = FitsI4(sqlite3_column_int64(stmt, i)) ? adInteger : adBigInt; break;
    case SQLITE_FLOAT: info.type = adDouble; break;
    case SQLITE_TEXT: info.type = adVarWChar; break;
    case SQLITE_BLOB: info.type = adVarBinary; break;
    default: break;
  }
  return info;
}

com::Variant ReadValue(sqlite3_stmt* stmt, int i, const ColumnInfo& info) {
  int storage = sqlite3_column_type(stmt, i);
  if (storage == SQLITE_NULL) return com::Variant::Null();
  switch (info.type) {
    case adInteger:
      if (storage == SQLITE_INTEGER) return IntegerValue(sqlite3_column_int64(stmt, i));
      break;
    case adBigInt:
      if (storage == SQLITE_INTEGER) return com::Variant(static_cast<int64_t>(sqlite3_column_int64(stmt, i)));
      break;
    case adSmallInt:
      if (storage == SQLITE_INTEGER) {
        int64_t v = sqlite3_column_int64(stmt, i);
        if (v >= INT16_MIN && v <= INT16_MAX) return com::Variant(static_cast<int16_t>(v));
        return IntegerValue(v);
      }
      break;
    case adTinyInt:
    case adUnsignedTinyInt:
      if (storage == SQLITE_INTEGER) {
        int64_t v = sqlite3_column_int64(stmt, i);
        if (v >= 0 && v <= 255) return com::Variant(static_cast<uint8_t>(v));
        return IntegerValue(v);
      }
      break;
    case adBoolean:
      if (IsNumber(storage)) return com::Variant(sqlite3_column_double(stmt, i) != 0);
      break;
    case adDecimal:
    case adNumeric:
    case adDouble:
    case adSingle:
    case adCurrency:
      if (IsNumber(storage)) return com::Variant(sqlite3_column_double(stmt, i));
      if (storage == SQLITE_TEXT) {
        std::string text = ColumnText(stmt, i);
        char* end = nullptr;
        double v = std::strtod(text.c_str(), &end);
        if (!text.empty() && end == text.c_str() + text.size()) return com::Variant(v);
      }
      break;
    case adDate:
      if (storage == SQLITE_TEXT) {
        if (auto d = ParseDateText(ColumnText(stmt, i))) return com::Variant(*d);
      }
      break;
    default:
      if (IsTextType(info.type) && storage != SQLITE_BLOB) return com::Variant(ColumnText(stmt, i));
      break;
  }
  // A value that does not fit its column's type (SQLite does not enforce types) is
  // given as it is stored.
  return NaturalValue(stmt, i);
}

int BindValue(sqlite3_stmt* stmt, int index, const com::Variant& value) {
  const com::Variant& v = value.Deref();
  switch (v.type()) {
    case com::VarType::Empty:
    case com::VarType::Null: return sqlite3_bind_null(stmt, index);
    case com::VarType::Bool: return sqlite3_bind_int64(stmt, index, v.ToBool() ? 1 : 0);
    case com::VarType::I2:
    case com::VarType::I4:
    case com::VarType::I8:
    case com::VarType::UI1: return sqlite3_bind_int64(stmt, index, v.ToI8());
    case com::VarType::R8:
    case com::VarType::Currency: return sqlite3_bind_double(stmt, index, v.ToR8());
    case com::VarType::Date: {
      std::string text = DateText(v.ToDate());
      return sqlite3_bind_text(stmt, index, text.data(), static_cast<int>(text.size()), SQLITE_TRANSIENT);
    }
    case com::VarType::String: {
      std::string text = v.ToString();
      return sqlite3_bind_text(stmt, index, text.data(), static_cast<int>(text.size()), SQLITE_TRANSIENT);
    }
    case com::VarType::Array: {
      std::string bytes;
      for (const com::Variant& b : v.ToArray().items) bytes += static_cast<char>(b.ToUI1());
      return sqlite3_bind_blob(stmt, index, bytes.data(), static_cast<int>(bytes.size()), SQLITE_TRANSIENT);
    }
    default: com::Raise(com::kErrTypeMismatch);
  }
}

}  // namespace ado::sqlite
