#include "platform/ado/sqlite/sql_functions.h"

#include <sqlite3.h>

#include <cmath>
#include <cstdint>
#include <string>
#include <string_view>

#include "platform/ado/sqlite/date_text.h"
#include "platform/ado/sqlite/dialect.h"

namespace ado::sqlite {

namespace {

void ResultText(sqlite3_context* ctx, const std::string& text) {
  sqlite3_result_text(ctx, text.data(), static_cast<int>(text.size()), SQLITE_TRANSIENT);
}

void MoneyTextFunction(sqlite3_context* ctx, int, sqlite3_value** argv) {
  if (sqlite3_value_type(argv[0]) == SQLITE_NULL) {
    sqlite3_result_null(ctx);
    return;
  }
  try {
    ResultText(ctx, MoneyText(sqlite3_value_int64(argv[0])));
  } catch (const std::exception&) {
    sqlite3_result_error_nomem(ctx);
  }
}

void CurrentTimeFunction(sqlite3_context* ctx, int, sqlite3_value**) {
  try {
    ResultText(ctx, CurrentTimeText());
  } catch (const std::exception&) {
    sqlite3_result_error_nomem(ctx);
  }
}

void OverflowToInt(sqlite3_context* ctx) {
  sqlite3_result_error(ctx, "Arithmetic overflow error converting expression to data type int.", -1);
}

bool FitsInt(long double v) { return v >= INT32_MIN && v <= INT32_MAX; }

// The original database converts text to int only when it is an integer (blanks
// around it allowed, blank text being 0); SQLite's CAST would quietly give 0 or the
// leading digits, hiding a bad setting.
void CastToIntFunction(sqlite3_context* ctx, int, sqlite3_value** argv) {
  switch (sqlite3_value_type(argv[0])) {
    case SQLITE_NULL: sqlite3_result_null(ctx); return;
    case SQLITE_INTEGER: {
      sqlite3_int64 v = sqlite3_value_int64(argv[0]);
      if (!FitsInt(static_cast<long double>(v))) return OverflowToInt(ctx);
      sqlite3_result_int64(ctx, v);
      return;
    }
    case SQLITE_FLOAT: {
      double v = std::trunc(sqlite3_value_double(argv[0]));  // decimals are cut off
      if (!std::isfinite(v) || !FitsInt(v)) return OverflowToInt(ctx);
      sqlite3_result_int64(ctx, static_cast<sqlite3_int64>(v));
      return;
    }
    case SQLITE_TEXT: {
      const auto* raw = reinterpret_cast<const char*>(sqlite3_value_text(argv[0]));
      std::string_view text(raw ? raw : "", static_cast<size_t>(sqlite3_value_bytes(argv[0])));
      size_t first = text.find_first_not_of(" \t");
      if (first == std::string_view::npos) {
        sqlite3_result_int64(ctx, 0);
        return;
      }
      std::string_view digits = text.substr(first, text.find_last_not_of(" \t") - first + 1);
      bool negative = digits.front() == '-';
      if (digits.front() == '-' || digits.front() == '+') digits.remove_prefix(1);
      bool valid = !digits.empty() && digits.find_first_not_of("0123456789") == std::string_view::npos;
      if (!valid) {
        std::string message = "Conversion failed when converting the varchar value '" + std::string(text) +
                              "' to data type int.";
        sqlite3_result_error(ctx, message.c_str(), -1);
        return;
      }
      long double v = 0;
      for (char c : digits) {
        v = v * 10 + (c - '0');
        if (v > static_cast<long double>(INT32_MAX) + 1) break;
      }
      if (negative) v = -v;
      if (!FitsInt(v)) return OverflowToInt(ctx);
      sqlite3_result_int64(ctx, static_cast<sqlite3_int64>(v));
      return;
    }
    default: sqlite3_result_error(ctx, "Explicit conversion from data type varbinary to int is not allowed.", -1);
  }
}

}  // namespace

int RegisterFunctions(sqlite3* db) {
  std::string money(kMoneyTextFunction), now(kCurrentTimeFunction);
  int rc = sqlite3_create_function_v2(db, money.c_str(), 1, SQLITE_UTF8 | SQLITE_DETERMINISTIC | SQLITE_INNOCUOUS,
                                      nullptr, &MoneyTextFunction, nullptr, nullptr, nullptr);
  if (rc != SQLITE_OK) return rc;
  std::string cast_int(kCastToIntFunction);
  rc = sqlite3_create_function_v2(db, cast_int.c_str(), 1, SQLITE_UTF8 | SQLITE_DETERMINISTIC | SQLITE_INNOCUOUS,
                                  nullptr, &CastToIntFunction, nullptr, nullptr, nullptr);
  if (rc != SQLITE_OK) return rc;
  return sqlite3_create_function_v2(db, now.c_str(), 0, SQLITE_UTF8, nullptr, &CurrentTimeFunction, nullptr,
                                    nullptr, nullptr);
}

}  // namespace ado::sqlite
