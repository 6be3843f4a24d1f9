#pragma once
// The SQLite session, shared by the files that implement it: statements
// (sqlite_session.cc), procedure calls (sqlite_procedure_call.cc) and the opening of a
// database (sqlite_provider.cc). Its members share the handle, the command deadline
// and the lock-wait state, so they stay one class; the pieces without that state live
// beside it (statement_cache, column_values, database_file, sql_functions).

#include <sqlite3.h>

#include <algorithm>
#include <chrono>
#include <iterator>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <thread>
#include <utility>
#include <vector>

#include "platform/ado/error.h"
#include "platform/ado/materialized_rows.h"
#include "platform/ado/numeric_rules.h"
#include "platform/ado/provider.h"
#include "platform/ado/sqlite/column_values.h"
#include "platform/ado/sqlite/dialect.h"
#include "platform/ado/sqlite/statement_cache.h"
#include "platform/ado/translation_cache.h"

namespace ado::sqlite {

using Clock = std::chrono::steady_clock;

// How many virtual machine steps pass between two looks at the clock.
constexpr int kProgressInterval = 1000;

struct DatabaseCloser {
  void operator()(sqlite3* db) const { sqlite3_close_v2(db); }
};
using DatabasePtr = std::unique_ptr<sqlite3, DatabaseCloser>;

// Pauses between two tries at a lock, growing up to the last one: short at first,
// since most holders are write-backs of a millisecond or less.
constexpr int kBusyPausesUs[] = {100, 200, 500, 1000, 2000, 5000, 10000};

class SqliteSession final : public Session {
 public:
  SqliteSession(DatabasePtr db, int32_t connection_timeout_s, std::string read_only_reason)
      : db_(std::move(db)),
        cache_(db_.get()),
        connection_timeout_s_(connection_timeout_s),
        read_only_reason_(std::move(read_only_reason)) {
    sqlite3_busy_handler(db_.get(), &SqliteSession::OnBusy, this);
  }
  ~SqliteSession() override {
    sqlite3_progress_handler(db_.get(), 0, nullptr, nullptr);
    sqlite3_busy_handler(db_.get(), nullptr, nullptr);
  }

  // The caller's transaction starts with its first statement, as on a server: that
  // statement waits for the write lock within its own command timeout, inside the
  // operation that runs it, so a lock held too long ends the operation with the
  // timeout error like any other wait. From then on the lock is held to the end.
  void Begin() override {
    if (InTransaction()) Raise(kErrOperationNotAllowed, "A transaction is already active on this connection.");
    begin_pending_ = true;
  }
  void Commit() override {
    if (!InTransaction()) Raise(kErrOperationNotAllowed, "No transaction is active on this connection.");
    if (std::exchange(begin_pending_, false)) return;
    Exec("COMMIT");
  }
  void Rollback() override {
    if (!InTransaction()) Raise(kErrOperationNotAllowed, "No transaction is active on this connection.");
    if (std::exchange(begin_pending_, false)) return;
    Exec("ROLLBACK");
  }
  bool InTransaction() const override { return begin_pending_ || sqlite3_get_autocommit(db_.get()) == 0; }

  ExecuteResult ExecuteText(std::string_view sql, std::span<const BoundParameter> params, int32_t timeout_s,
                            bool want_rows) override {
    Deadline deadline(*this, timeout_s);
    TakePendingBegin();
    // A SELECT INTO reads the schema as it stands: its translation is not kept.
    std::shared_ptr<const std::string> translated = translations_.Translate(sql, [this](std::string_view text, bool* cacheable) {
      return Translate(text, [this, cacheable](std::string_view table) {
        *cacheable = false;
        return TableColumns(table);
      });
    });
    std::vector<com::Variant> values;
    values.reserve(params.size());
    for (const BoundParameter& p : params) values.push_back(p.value);
    return Run(*translated, values, want_rows);
  }

  ExecuteResult CallProcedure(std::string_view name, std::span<BoundParameter> params, int32_t timeout_s) override;

  // Runs SQLite statement text with positional values; rows of the first statement
  // that yields any are kept when `want_rows`.
  ExecuteResult Run(std::string_view sql, std::span<const com::Variant> values, bool want_rows);

 private:
  // Arms the command timeout for the outermost call; nested calls share its limit.
  class Deadline {
   public:
    Deadline(SqliteSession& s, int32_t timeout_s) : s_(s) {
      if (s_.armed_) return;
      armed_ = s_.armed_ = true;
      s_.timed_out_ = false;
      // A lock wait counts against the same limit (OnBusy).
      if (timeout_s > 0) {
        s_.deadline_ = Clock::now() + std::chrono::seconds(timeout_s);
        sqlite3_progress_handler(s_.db_.get(), kProgressInterval, &SqliteSession::OnProgress, &s_);
      }
    }
    ~Deadline() { Disarm(); }
    Deadline(const Deadline&) = delete;
    Deadline& operator=(const Deadline&) = delete;
    void Disarm() {
      if (!armed_) return;
      armed_ = s_.armed_ = false;
      s_.deadline_.reset();
      sqlite3_progress_handler(s_.db_.get(), 0, nullptr, nullptr);
    }

   private:
    SqliteSession& s_;
    bool armed_ = false;
  };

  class Context;

  static int OnProgress(void* self) {
    auto* s = static_cast<SqliteSession*>(self);
    if (s->deadline_ && Clock::now() >= *s->deadline_) {
      s->timed_out_ = true;
      return 1;
    }
    return 0;
  }

  // Waits for a lock held by another connection: within the command timeout of the
  // call under way, else within the connection timeout from the statement's start
  // (0: no limit). Giving up is the timeout error (Fail), on both providers alike.
  static int OnBusy(void* self, int count) {
    auto* s = static_cast<SqliteSession*>(self);
    Clock::time_point now = Clock::now();
    std::optional<Clock::time_point> limit = s->deadline_;
    if (!s->armed_ && s->connection_timeout_s_ > 0)
      limit = s->statement_start_ + std::chrono::seconds(s->connection_timeout_s_);
    if (limit && now >= *limit) {
      s->busy_expired_ = true;
      return 0;
    }
    size_t step = std::min(static_cast<size_t>(std::max(count, 0)), std::size(kBusyPausesUs) - 1);
    Clock::duration pause = std::chrono::microseconds(kBusyPausesUs[step]);
    if (limit) pause = std::min(pause, *limit - now);
    std::this_thread::sleep_for(pause);
    return 1;
  }

  [[noreturn]] void Fail(int rc, std::string_view sql) {
    int primary = rc & 0xFF;
    bool late = deadline_ && Clock::now() >= *deadline_;
    if ((primary == SQLITE_INTERRUPT && timed_out_) || (primary == SQLITE_BUSY && (late || busy_expired_)))
      throw Error(kErrQueryTimeout, Describe(kErrQueryTimeout), rc, std::string(sql));
    std::string message = sqlite3_errmsg(db_.get());
    if (primary == SQLITE_READONLY && !read_only_reason_.empty()) message += " (" + read_only_reason_ + ")";
    // A quantity refused by mom_quantity is the data layer's overflow, as on the server.
    if (message == kNumericOverflowText)
      throw Error(kErrDataOverflow, message, kNativeArithmeticOverflow, std::string(sql));
    throw Error(kErrProvider, message, sqlite3_extended_errcode(db_.get()), std::string(sql));
  }

  void Exec(std::string_view sql) { Run(sql, {}, false); }

  bool ReadOnly() { return sqlite3_db_readonly(db_.get(), "main") == 1; }

  // Starts the caller's transaction taken by Begin, holding the write lock from now on
  // (a read-only database has none to take). Left pending when the wait fails, so
  // that the caller's rollback still ends it.
  void TakePendingBegin() {
    if (!begin_pending_) return;
    Exec(ReadOnly() ? "BEGIN" : "BEGIN IMMEDIATE");
    begin_pending_ = false;
  }

  std::vector<ColumnInfo> DescribeColumns(StatementCache::Lease& lease, bool has_row) {
    sqlite3_stmt* stmt = lease.get();
    StatementColumns& known = lease.columns();
    const int compilations = sqlite3_stmt_status(stmt, SQLITE_STMTSTATUS_REPREPARE, 0);
    if (known.compilations != compilations) {
      const int count = sqlite3_column_count(stmt);
      known.declared.clear();
      bool undeclared = false;
      for (int i = 0; i < count; ++i) {
        known.declared.push_back(ColumnAsDeclared(stmt, i));
        undeclared = undeclared || known.declared.back().type == adVariant;
      }
      if (undeclared && !known.current_time) known.current_time = CurrentTimeColumns(sqlite3_sql(stmt));
      known.compilations = compilations;
    }
    std::vector<ColumnInfo> columns;
    columns.reserve(known.declared.size());
    for (size_t i = 0; i < known.declared.size(); ++i) {
      const int column = static_cast<int>(i);
      bool now = known.current_time &&
                 std::find(known.current_time->begin(), known.current_time->end(), column) != known.current_time->end();
      columns.push_back(CompleteColumn(known.declared[i], stmt, column, has_row, now));
    }
    return columns;
  }

  // Steps `stmt` to its end; collects its rows into *out when given.
  void Step(StatementCache::Lease& lease, std::string_view sql, std::unique_ptr<RowSource>* out) {
    sqlite3_stmt* stmt = lease.get();
    std::vector<ColumnInfo> columns;
    std::vector<std::vector<com::Variant>> rows;
    bool described = false;
    int rc;
    while ((rc = sqlite3_step(stmt)) == SQLITE_ROW) {
      if (!out) continue;
      if (!described) {
        columns = DescribeColumns(lease, true);
        described = true;
      }
      std::vector<com::Variant> row;
      row.reserve(columns.size());
      for (size_t i = 0; i < columns.size(); ++i) row.push_back(ReadValue(stmt, static_cast<int>(i), columns[i]));
      rows.push_back(std::move(row));
    }
    if (rc != SQLITE_DONE) Fail(rc, sql);
    if (!out) return;
    if (!described) columns = DescribeColumns(lease, false);
    *out = std::make_unique<MaterializedRows>(std::move(columns), std::move(rows));
  }

  std::vector<DeclaredColumn> TableColumns(std::string_view table) {
    com::Variant name{std::string(table)};
    ExecuteResult r = Run("SELECT name, type FROM pragma_table_info(?)", {&name, 1}, true);
    std::vector<DeclaredColumn> columns;
    std::vector<com::Variant> row;
    while (r.rows && r.rows->Next(row))
      columns.push_back({row[0].ToString(), row[1].is_null() ? std::string() : row[1].ToString()});
    return columns;
  }

  // Undoes and forgets a savepoint after a failed procedure. The whole transaction may
  // already be gone (SQLite rolls back on some errors), so failures here are ignored.
  void UndoSavepoint(const std::string& savepoint) {
    for (std::string sql : {"ROLLBACK TO " + savepoint, "RELEASE " + savepoint}) {
      try {
        Exec(sql);
      } catch (const Error&) {
      }
    }
  }

  // Ends the procedure's own transaction after a failure; it may be gone already.
  void RollbackQuietly() {
    if (sqlite3_get_autocommit(db_.get()) != 0) return;
    try {
      Exec("ROLLBACK");
    } catch (const Error&) {
    }
  }

  DatabasePtr db_;  // declared first: closed after the statements are finalized
  StatementCache cache_;
  TranslationCache translations_;
  int32_t connection_timeout_s_;
  std::string read_only_reason_;  // why a database asked for writing was opened for reading only
  bool begin_pending_ = false;
  bool armed_ = false;
  std::optional<Clock::time_point> deadline_;
  bool timed_out_ = false;
  Clock::time_point statement_start_;
  bool busy_expired_ = false;
  int savepoint_depth_ = 0;
};

}  // namespace ado::sqlite
