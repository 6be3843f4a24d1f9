#include <string>
#include <string_view>

#include "platform/ado/sqlite/sqlite_session.h"

namespace ado::sqlite {

ExecuteResult SqliteSession::Run(std::string_view sql, std::span<const com::Variant> values, bool want_rows) {
  ExecuteResult result;
  size_t next_value = 0;
  bool wrote = false;
  int64_t affected = 0;
  std::string_view rest = sql;
  while (!rest.empty()) {
    statement_start_ = Clock::now();
    busy_expired_ = false;
    StatementCache::Lease lease = cache_.Prepare(rest);
    size_t consumed = lease.consumed();
    if (sqlite3_stmt* stmt = lease.get()) {
      std::string_view text = rest.substr(0, consumed);
      int count = sqlite3_bind_parameter_count(stmt);
      for (int k = 1; k <= count; ++k) {
        if (next_value >= values.size())
          throw Error(kErrProvider, "No value given for one or more required parameters.", 0, std::string(text));
        int rc = BindValue(stmt, k, values[next_value++]);
        if (rc != SQLITE_OK) Fail(rc, text);
      }
      bool has_columns = sqlite3_column_count(stmt) > 0;
      int64_t changes_before = sqlite3_total_changes64(db_.get());
      Step(lease, text, want_rows && !result.rows && has_columns ? &result.rows : nullptr);
      if (!has_columns && !sqlite3_stmt_readonly(stmt)) {
        wrote = true;
        if (sqlite3_total_changes64(db_.get()) != changes_before) affected += sqlite3_changes64(db_.get());
      }
    }
    if (consumed == 0) break;
    rest.remove_prefix(consumed);
  }
  result.records_affected = wrote ? affected : -1;
  return result;
}

}  // namespace ado::sqlite
