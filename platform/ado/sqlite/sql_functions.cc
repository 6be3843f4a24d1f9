#include "platform/ado/sqlite/sql_functions.h"

#include <sqlite3.h>

#include <string>

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

}  // namespace

int RegisterFunctions(sqlite3* db) {
  std::string money(kMoneyTextFunction), now(kCurrentTimeFunction);
  int rc = sqlite3_create_function_v2(db, money.c_str(), 1, SQLITE_UTF8 | SQLITE_DETERMINISTIC | SQLITE_INNOCUOUS,
                                      nullptr, &MoneyTextFunction, nullptr, nullptr, nullptr);
  if (rc != SQLITE_OK) return rc;
  return sqlite3_create_function_v2(db, now.c_str(), 0, SQLITE_UTF8, nullptr, &CurrentTimeFunction, nullptr,
                                    nullptr, nullptr);
}

}  // namespace ado::sqlite
