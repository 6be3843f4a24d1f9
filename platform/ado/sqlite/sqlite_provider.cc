// The SQLite session: one class, over 400 lines, because its members share the handle,
// the command deadline and the lock-wait state; the pieces without that state live
// beside it (statement_cache, column_values, database_file, sql_functions).
#include "platform/ado/sqlite/sqlite_provider.h"

#include <sqlite3.h>

#include <algorithm>
#include <chrono>
#include <climits>
#include <filesystem>
#include <iterator>
#include <optional>
#include <thread>
#include <utility>

#include "platform/ado/error.h"
#include "platform/ado/materialized_rows.h"
#include "platform/ado/numeric_rules.h"
#include "platform/ado/procedure_catalog.h"
#include "platform/ado/sqlite/column_values.h"
#include "platform/ado/sqlite/database_file.h"
#include "platform/ado/sqlite/dialect.h"
#include "platform/ado/sqlite/sql_functions.h"
#include "platform/ado/sqlite/statement_cache.h"
#include "platform/ado/text.h"
#include "platform/ado/translation_cache.h"

namespace ado::sqlite {

namespace {

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

// What a procedure body sees: statements on the session's own handle.
class SqliteSession::Context final : public ProcedureContext {
 public:
  explicit Context(SqliteSession& s) : s_(s) {}
  using ProcedureContext::Exec;
  using ProcedureContext::Query;

  QueryResult Query(std::string_view sql, std::span<const com::Variant> params) override {
    ExecuteResult r = s_.Run(sql, params, true);
    QueryResult out;
    if (!r.rows) return out;
    out.columns = r.rows->columns();
    std::vector<com::Variant> row;
    while (r.rows->Next(row)) out.rows.push_back(std::move(row));
    return out;
  }
  int64_t Exec(std::string_view sql, std::span<const com::Variant> params) override {
    return std::max<int64_t>(s_.Run(sql, params, false).records_affected, 0);
  }
  void ReturnRows(QueryResult rows) override { rows_ = std::move(rows); }

  std::optional<QueryResult>& rows() { return rows_; }

 private:
  SqliteSession& s_;
  std::optional<QueryResult> rows_;
};

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

ExecuteResult SqliteSession::CallProcedure(std::string_view name, std::span<BoundParameter> params,
                                           int32_t timeout_s) {
  const ProcedureBody* body = FindProcedure(kProviderName, name);
  if (!body) {
    // "[dbo].[name]" names the same procedure as "name".
    std::string bare(name);
    size_t dot = bare.rfind('.');
    if (dot != std::string::npos) bare = bare.substr(dot + 1);
    if (bare.size() >= 2 && bare.front() == '[' && bare.back() == ']') bare = bare.substr(1, bare.size() - 2);
    body = FindProcedure(kProviderName, bare);
  }
  if (!body) Raise(kErrProvider, "Could not find stored procedure '" + std::string(name) + "'.");

  std::vector<com::Variant> args;
  for (const BoundParameter& p : params)
    if (p.direction != adParamReturnValue && p.direction != adParamOutput) args.push_back(p.value);

  Deadline deadline(*this, timeout_s);
  TakePendingBegin();
  // Outside a transaction the procedure runs in one of its own that holds the write
  // lock from the start: a read followed by a write could not wait for the lock in
  // the middle (SQLite refuses that upgrade at once), and the lock is waited for
  // within the command timeout. Inside one, a savepoint undoes just the procedure.
  const bool own_transaction = !InTransaction();
  std::string savepoint = "mom_procedure_" + std::to_string(++savepoint_depth_);
  struct DepthGuard {
    int& depth;
    ~DepthGuard() { --depth; }
  } depth_guard{savepoint_depth_};

  Exec(own_transaction ? (ReadOnly() ? "BEGIN" : "BEGIN IMMEDIATE") : "SAVEPOINT " + savepoint);
  Context context(*this);
  int32_t return_value = 0;
  try {
    return_value = (*body)(context, args);
  } catch (const std::exception& e) {
    deadline.Disarm();  // the undo must not be cut short by the expired limit
    if (own_transaction)
      RollbackQuietly();
    else
      UndoSavepoint(savepoint);
    const auto* error = dynamic_cast<const Error*>(&e);
    if (error && (error->number() == kErrQueryTimeout || error->number() == kErrDataOverflow)) throw;
    if (error) throw Error(kErrProvider, e.what(), error->native_code(), error->sql(), error->sqlstate());
    Raise(kErrProvider, e.what());
  }
  deadline.Disarm();
  if (own_transaction) {
    try {
      Exec("COMMIT");
    } catch (const Error&) {
      RollbackQuietly();
      throw;
    }
  } else {
    Exec("RELEASE " + savepoint);
  }

  if (!params.empty() && params[0].direction == adParamReturnValue) params[0].value = com::Variant(return_value);
  ExecuteResult result;
  if (context.rows())
    result.rows = std::make_unique<MaterializedRows>(std::move(context.rows()->columns),
                                                     std::move(context.rows()->rows));
  return result;
}

}  // namespace

namespace {

DatabasePtr OpenHandle(const std::string& name, int flags) {
  sqlite3* raw = nullptr;
  int rc = sqlite3_open_v2(name.c_str(), &raw, flags, nullptr);
  DatabasePtr db(raw);
  if (rc != SQLITE_OK) throw Error(kErrProvider, db ? sqlite3_errmsg(db.get()) : sqlite3_errstr(rc), rc);
  sqlite3_extended_result_codes(db.get(), 1);
  rc = RegisterFunctions(db.get());
  if (rc != SQLITE_OK) throw Error(kErrProvider, sqlite3_errmsg(db.get()), rc);
  return db;
}

}  // namespace

std::unique_ptr<Session> OpenSqliteSession(const ConnectionString& cs, int32_t connection_timeout_s) {
  std::optional<std::string> path = cs.Get("Data Source");
  if (!path) path = cs.Get("DataSource");
  if (!path) path = cs.Get("Database");
  if (!path || path->empty()) Raise(kErrProvider, "The connection string names no Data Source.");

  std::string mode = cs.GetOr("Mode", "");
  const bool memory = *path == ":memory:";
  const bool create = EqualsIgnoreCase(mode, "Create") || memory;
  const bool read = EqualsIgnoreCase(mode, "Read");

  // Nothing is written to a file that is not a database, not even on a failed open.
  using Kind = DatabaseFile::Kind;
  DatabaseFile file = memory ? DatabaseFile{Kind::kEmpty, true, true} : InspectDatabaseFile(*path);
  if (file.kind == Kind::kOther) throw Error(kErrProvider, "not a database: " + *path, SQLITE_NOTADB);
  if (file.kind == Kind::kMissing && !create) throw Error(kErrProvider, "database does not exist: " + *path, SQLITE_CANTOPEN);

  // A database that cannot be written is still there to be read.
  std::string read_only_reason;
  if (!read && file.kind != Kind::kMissing) {
    if (!file.writable)
      read_only_reason = *path + " is read-only and was opened for reading only";
    else if (!file.folder_writable)
      read_only_reason = "the folder of " + *path + " is read-only; the database was opened for reading only";
  }
  const bool read_only = read || !read_only_reason.empty();
  int flags = read_only ? SQLITE_OPEN_READONLY : SQLITE_OPEN_READWRITE | (create ? SQLITE_OPEN_CREATE : 0);

  auto open = [&](const std::string& name, int open_flags) {
    auto session = std::make_unique<SqliteSession>(OpenHandle(name, open_flags), connection_timeout_s, read_only_reason);
    // Readers and one writer work side by side in WAL mode. An empty file becomes a
    // database only when asked to create one.
    // While another connection writes, the mode cannot change (SQLite refuses at once
    // rather than wait); the database then works in its own mode this time.
    if (!read_only && (file.kind == Kind::kDatabase || create)) {
      try {
        session->Run("PRAGMA journal_mode=WAL", {}, false);
      } catch (const Error& e) {
        if ((e.native_code() & 0xFF) != SQLITE_BUSY) throw;
      }
    }
    session->Run("PRAGMA foreign_keys=ON", {}, false);
    // Proves that the database can be read at all.
    session->Run("SELECT count(*) FROM sqlite_master", {}, false);
    return session;
  };
  if (!read_only || memory) return open(*path, flags);
  try {
    return open(*path, flags);
  } catch (const Error& e) {
    // A WAL database in a folder that takes no new files cannot share its index:
    // read it as a file that nobody changes.
    if (!file.folder_writable || !file.writable) return open(ImmutableUri(*path), SQLITE_OPEN_READONLY | SQLITE_OPEN_URI);
    throw;
  }
}

}  // namespace ado::sqlite
