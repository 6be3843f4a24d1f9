#include "platform/ado/sqlite/sql_functions.h"

#include <sqlite3.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <string>
#include <string_view>

#include "platform/ado/error.h"
#include "platform/ado/numeric_rules.h"
#include "platform/ado/date_text.h"
#include "platform/ado/sqlite/dialect.h"
#include "platform/ado/sqlite/session_identity.h"

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

void ResultError(sqlite3_context* ctx, const std::string& message) {
  sqlite3_result_error(ctx, message.c_str(), static_cast<int>(message.size()));
}

// cast(X as int) as the original database converts (numeric_rules.h); SQLite's CAST
// would quietly give 0 or the leading digits, hiding a bad setting.
void CastToIntFunction(sqlite3_context* ctx, int, sqlite3_value** argv) {
  try {
    switch (sqlite3_value_type(argv[0])) {
      case SQLITE_NULL: sqlite3_result_null(ctx); return;
      case SQLITE_INTEGER: {
        sqlite3_int64 v = sqlite3_value_int64(argv[0]);
        if (v < INT32_MIN || v > INT32_MAX) return ResultError(ctx, std::string(kIntOverflowText));
        sqlite3_result_int64(ctx, v);
        return;
      }
      case SQLITE_FLOAT: sqlite3_result_int64(ctx, CastNumberToInt(sqlite3_value_double(argv[0]))); return;
      case SQLITE_TEXT: {
        const auto* raw = reinterpret_cast<const char*>(sqlite3_value_text(argv[0]));
        std::string_view text(raw ? raw : "", static_cast<size_t>(sqlite3_value_bytes(argv[0])));
        sqlite3_result_int64(ctx, CastTextToInt(text));
        return;
      }
      default: ResultError(ctx, "Explicit conversion from data type varbinary to int is not allowed.");
    }
  } catch (const Error& e) {
    ResultError(ctx, e.description());
  } catch (const std::exception&) {
    sqlite3_result_error_nomem(ctx);
  }
}

// mom_quantity(x): a quantity that a statement computes, as a quantity column keeps
// it (numeric_rules.h: half to even at six places, refused beyond the limit). The
// refusal carries the data layer's own error, which the procedure call passes on.
void QuantityFunction(sqlite3_context* ctx, int, sqlite3_value** argv) {
  if (sqlite3_value_type(argv[0]) == SQLITE_NULL) {
    sqlite3_result_null(ctx);
    return;
  }
  try {
    sqlite3_result_double(ctx, StoreQuantity(sqlite3_value_double(argv[0])));
  } catch (const Error& e) {
    ResultError(ctx, e.description());
  } catch (const std::exception&) {
    sqlite3_result_error_nomem(ctx);
  }
}

void SessionUserFunction(sqlite3_context* ctx, int, sqlite3_value**) {
  try {
    ResultText(ctx, SessionUserName());
  } catch (const std::exception&) {
    sqlite3_result_error_nomem(ctx);
  }
}

void ApplicationNameFunction(sqlite3_context* ctx, int, sqlite3_value**) {
  try {
    ResultText(ctx, ApplicationName());
  } catch (const std::exception&) {
    sqlite3_result_error_nomem(ctx);
  }
}

// round(x[, places]) as the original server rounds: half away from zero, worked on the
// shortest decimal form of a double, as the server rounds its decimals. SQLite's own
// round works in binary and rounds a value just below a half (-0.0004944999999999999)
// up, where the server rounds it down. Negative places round to tens, hundreds, ...
void RoundFunction(sqlite3_context* ctx, int argc, sqlite3_value** argv) {
  const int type = sqlite3_value_numeric_type(argv[0]);
  if (type == SQLITE_NULL || (argc > 1 && sqlite3_value_type(argv[1]) == SQLITE_NULL)) {
    sqlite3_result_null(ctx);
    return;
  }
  const int64_t places = argc > 1 ? sqlite3_value_int64(argv[1]) : 0;
  if (places < 0) {
    const double scale = std::pow(10.0, static_cast<double>(-places));
    const double v = sqlite3_value_double(argv[0]);
    const double r = std::round(v / scale) * scale;  // std::round goes half away from zero
    if (type == SQLITE_INTEGER && std::fabs(r) < 9.2e18) return sqlite3_result_int64(ctx, static_cast<int64_t>(r));
    return sqlite3_result_double(ctx, r);
  }
  if (type == SQLITE_INTEGER) return sqlite3_result_int64(ctx, sqlite3_value_int64(argv[0]));
  try {
    sqlite3_result_double(ctx, com::RoundDecimal(sqlite3_value_double(argv[0]), static_cast<int>(std::min<int64_t>(places, 30)),
                                                 com::Halfway::kAwayFromZero));
  } catch (const std::exception&) {
    sqlite3_result_error_nomem(ctx);
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
  std::string quantity(kQuantityFunction);
  rc = sqlite3_create_function_v2(db, quantity.c_str(), 1, SQLITE_UTF8 | SQLITE_DETERMINISTIC | SQLITE_INNOCUOUS,
                                  nullptr, &QuantityFunction, nullptr, nullptr, nullptr);
  if (rc != SQLITE_OK) return rc;
  for (int args : {1, 2}) {
    rc = sqlite3_create_function_v2(db, "round", args, SQLITE_UTF8 | SQLITE_DETERMINISTIC | SQLITE_INNOCUOUS, nullptr,
                                    &RoundFunction, nullptr, nullptr, nullptr);
    if (rc != SQLITE_OK) return rc;
  }
  rc = sqlite3_create_function_v2(db, now.c_str(), 0, SQLITE_UTF8, nullptr, &CurrentTimeFunction, nullptr,
                                  nullptr, nullptr);
  if (rc != SQLITE_OK) return rc;
  std::string user(kSessionUserFunction), application(kApplicationNameFunction);
  rc = sqlite3_create_function_v2(db, user.c_str(), 0, SQLITE_UTF8, nullptr, &SessionUserFunction, nullptr,
                                  nullptr, nullptr);
  if (rc != SQLITE_OK) return rc;
  return sqlite3_create_function_v2(db, application.c_str(), 0, SQLITE_UTF8, nullptr, &ApplicationNameFunction,
                                    nullptr, nullptr, nullptr);
}

}  // namespace ado::sqlite
