#pragma once
// The PostgreSQL session, shared by the files that implement it: statements
// (pg_session.cc), procedure calls (pg_procedure_call.cc) and the spelling of result
// columns (pg_spelling.cc). Its members share the connection's state (lost or not, the
// statement timeout, the prepared and translated statements), so they stay one class;
// the small ones stay here, inline.

#include <libpq-fe.h>

#include <algorithm>
#include <climits>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "platform/ado/application_catalog.h"
#include "platform/ado/error.h"
#include "platform/ado/postgres/dialect.h"
#include "platform/ado/postgres/pg_result.h"
#include "platform/ado/postgres/pipeline.h"
#include "platform/ado/postgres/prepared_cache.h"
#include "platform/ado/provider.h"

namespace ado::postgres {

constexpr std::string_view kSavepoint = "mom_statement";
constexpr size_t kPreparedCapacity = 256;  // texts remembered (named or seen once)
constexpr size_t kDeallocateBatch = 16;     // evicted statements dropped together
constexpr size_t kTranslationCapacity = 512;

struct ConnectionCloser {
  void operator()(PGconn* c) const { PQfinish(c); }
};
using ConnectionPtr = std::unique_ptr<PGconn, ConnectionCloser>;

class PostgresSession final : public Session {
 public:
  explicit PostgresSession(ConnectionPtr conn)
      : owner_(std::move(conn)), conn_(owner_.get()), catalog_(CurrentApplicationCatalog()) {
    // Notices (e.g. "does not exist, skipping") are not the caller's business.
    PQsetNoticeReceiver(conn_, [](void*, const PGresult*) {}, nullptr);
  }
  ~PostgresSession() override {
    // Errors are ignored: the session ends anyway, and the server undoes what is left.
    if (broken_.empty() && InTransaction()) ResultPtr(PQexec(conn_, "ROLLBACK"));
  }

  void Begin() override {
    if (InTransaction()) Raise(kErrOperationNotAllowed, "A transaction is already active on this connection.");
    Simple("BEGIN ISOLATION LEVEL READ COMMITTED");
  }
  void Commit() override {
    if (!InTransaction()) Raise(kErrOperationNotAllowed, "No transaction is active on this connection.");
    bool failed = PQtransactionStatus(conn_) == PQTRANS_INERROR;
    ResultPtr r = Simple("COMMIT");
    if (failed || std::string_view(PQcmdStatus(r.get())) == "ROLLBACK") {
      current_timeout_ms_ = -1;
      Raise(kErrProvider, "The transaction was rolled back because one of its statements failed.", "COMMIT");
    }
  }
  void Rollback() override {
    if (!InTransaction()) Raise(kErrOperationNotAllowed, "No transaction is active on this connection.");
    current_timeout_ms_ = -1;  // a SET inside the transaction is undone with it
    Simple("ROLLBACK");
  }
  bool InTransaction() const override {
    switch (PQtransactionStatus(conn_)) {
      case PQTRANS_INTRANS:
      case PQTRANS_INERROR:
      case PQTRANS_ACTIVE: return true;
      default: return false;
    }
  }

  ExecuteResult ExecuteText(std::string_view sql, std::span<const BoundParameter> params, int32_t timeout_s,
                            bool want_rows) override;
  ExecuteResult CallProcedure(std::string_view name, std::span<BoundParameter> params, int32_t timeout_s) override;

 private:
  void CheckUsable() {
    if (!broken_.empty()) throw Error(kErrProvider, broken_);
    if (PQstatus(conn_) == CONNECTION_BAD) Broken();
  }
  // Marks the connection as gone and raises its message.
  [[noreturn]] void Broken(std::string message = {}) {
    if (broken_.empty()) {
      broken_ = !message.empty() ? message : TrimMessage(PQerrorMessage(conn_));
      if (broken_.empty()) broken_ = "The connection to the PostgreSQL server was lost.";
    }
    throw Error(kErrProvider, broken_);
  }

  // Raises the error of a failed statement (or of the lost connection).
  [[noreturn]] void Fail(const Failure& f, std::string_view sql) {
    if (PQstatus(conn_) == CONNECTION_BAD) Broken(f.message);
    // query_canceled: statement_timeout, on a slow statement or a lock wait alike.
    if (f.sqlstate == "57014")
      throw Error(kErrQueryTimeout, Describe(kErrQueryTimeout), 0, std::string(sql), f.sqlstate);
    // numeric_value_out_of_range: the procedures' quantity refusal among others.
    if (f.sqlstate == "22003")
      throw Error(kErrDataOverflow, f.message, kNativeArithmeticOverflow, std::string(sql), f.sqlstate);
    throw Error(kErrProvider, f.message, 0, std::string(sql), f.sqlstate);
  }

  // Runs text with the simple protocol; raises on failure.
  ResultPtr Simple(const std::string& sql) {
    CheckUsable();
    ResultPtr last;
    std::optional<Failure> failure;
    if (!PQsendQuery(conn_, sql.c_str())) Broken();
    while (PGresult* r = PQgetResult(conn_)) {
      ResultPtr result(r);
      ExecStatusType status = PQresultStatus(r);
      if (status == PGRES_FATAL_ERROR || status == PGRES_BAD_RESPONSE || status == PGRES_NONFATAL_ERROR) {
        if (!failure) failure = FailureOf(r, conn_);
      } else {
        last = std::move(result);
      }
      if (PQstatus(conn_) == CONNECTION_BAD) break;
    }
    if (failure) Fail(*failure, sql);
    if (PQstatus(conn_) == CONNECTION_BAD) Broken();
    return last;
  }

  void UndoSavepoint() {
    std::string sql = "ROLLBACK TO SAVEPOINT " + std::string(kSavepoint) + "; RELEASE SAVEPOINT " +
                      std::string(kSavepoint);
    try {
      Simple(sql);
    } catch (const Error&) {
    }
  }
  void RollbackQuietly() {
    try {
      Simple("ROLLBACK");
    } catch (const Error&) {
    }
  }

  // statement_timeout follows the command timeout; set only when it changes.
  void SetTimeout(int32_t timeout_s) {
    int64_t ms = timeout_s > 0 ? std::min<int64_t>(int64_t{timeout_s} * 1000, INT_MAX) : 0;
    if (ms == current_timeout_ms_) return;
    Simple("SET statement_timeout = " + std::to_string(ms));
    current_timeout_ms_ = ms;
  }

  // Sends `items` in one pipeline and reads all their results. Returns the index of the
  // first query that failed (its failure in *failure), or -1.
  int Pipeline(std::vector<PipeItem>& items, Failure* failure) {
    CheckUsable();
    FlushEvicted();
    std::optional<std::string> lost;
    int failed = RunPipeline(conn_, items, failure, &lost);
    if (lost) Broken(*lost);
    return failed;
  }

  // Drops statements the cache let go of, a batch at a time.
  void FlushEvicted() {
    std::vector<std::string>& evicted = prepared_.evicted();
    if (evicted.size() < kDeallocateBatch) return;
    std::string sql;
    for (const std::string& name : evicted) sql += "DEALLOCATE " + name + ";";
    evicted.clear();
    Simple(sql);
  }

  // Runs one translated statement with its values (positions into `all`); inside a
  // transaction under a savepoint of its own.
  // `all_types` (optional) are the values' types, used only where the server cannot infer one.
  void RunStatement(const Statement& st, const std::vector<std::optional<std::string>>& all, bool keep_rows,
                    Outcome& out, const std::vector<::Oid>* all_types = nullptr);
  // Runs a script (several statements, no parameters) with the simple protocol.
  void RunScript(const Translation& tr, bool keep_rows, Outcome& out);

  std::shared_ptr<const Translation> Translated(std::string_view sql) {
    std::string key(sql);
    auto it = translations_.find(key);
    if (it != translations_.end()) return it->second;
    auto tr = std::make_shared<const Translation>(Translate(sql));
    if (translations_.size() >= kTranslationCapacity) translations_.clear();
    translations_.emplace(std::move(key), tr);
    return tr;
  }

  // Result column names in lower case get back the application's spelling
  // (pg_spelling.cc).
  void RestoreSpelling(std::vector<ColumnInfo>& columns, const Translation* tr);
  const std::unordered_map<std::string, std::string>& Dictionary();

  ConnectionPtr owner_;
  PGconn* conn_;  // owner_'s
  std::string broken_;
  int64_t current_timeout_ms_ = -1;  // -1: not known
  PreparedCache prepared_{kPreparedCapacity};
  std::unordered_map<std::string, std::shared_ptr<const Translation>> translations_;
  std::shared_ptr<const ApplicationCatalog> catalog_;  // the application's, as the session started
  std::unordered_map<std::string, std::string> dictionary_;
  bool dictionary_loaded_ = false;
  bool dictionary_recheck_ = true;
  // Procedures known to return no cursor: called without a transaction of their own.
  std::unordered_set<std::string> plain_procedures_;
};

}  // namespace ado::postgres
