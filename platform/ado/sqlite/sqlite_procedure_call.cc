// Stored procedures on SQLite: C++ bodies from the procedure catalog, run on the
// session's own handle inside a transaction or savepoint of their own.
#include <optional>
#include <string>
#include <vector>

#include "platform/ado/procedure_catalog.h"
#include "platform/ado/sqlite/sqlite_provider.h"
#include "platform/ado/sqlite/sqlite_session.h"

namespace ado::sqlite {

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

}  // namespace ado::sqlite
