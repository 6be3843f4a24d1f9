// The PostgreSQL session: one class, near 500 lines, because its members share the
// connection's state (lost or not, the statement timeout, the prepared and translated
// statements); the pieces without that state live beside it (pipeline, pg_result,
// statement_words, conninfo).
#include "platform/ado/postgres/pg_provider.h"

#include <libpq-fe.h>

#include <algorithm>
#include <climits>
#include <functional>
#include <optional>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "platform/ado/error.h"
#include "platform/ado/numeric_rules.h"
#include "platform/ado/postgres/dialect.h"
#include "platform/ado/postgres/pg_result.h"
#include "platform/ado/postgres/pg_values.h"
#include "platform/ado/postgres/pipeline.h"
#include "platform/ado/postgres/prepared_cache.h"
#include "platform/ado/postgres/statement_words.h"
#include "platform/ado/text.h"
#include "platform/ado/tsql/select_items.h"

namespace ado::postgres {

namespace {

constexpr std::string_view kSavepoint = "mom_statement";
constexpr size_t kPreparedCapacity = 256;  // texts remembered (named or seen once)
constexpr size_t kDeallocateBatch = 16;     // evicted statements dropped together
constexpr size_t kTranslationCapacity = 512;

struct ConnectionCloser {
  void operator()(PGconn* c) const { PQfinish(c); }
};
using ConnectionPtr = std::unique_ptr<PGconn, ConnectionCloser>;

bool HasUpper(std::string_view s) {
  return std::any_of(s.begin(), s.end(), [](char c) { return c >= 'A' && c <= 'Z'; });
}

class PostgresSession final : public Session {
 public:
  explicit PostgresSession(ConnectionPtr conn) : owner_(std::move(conn)), conn_(owner_.get()) {
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

  // Column names in lower case get their spelling as the embedded database gives it:
  // an alias as the statement writes it ("d.iQuantity as iquantity" is iquantity), a
  // column as the schema declares it (the dictionary), else as the statement writes it.
  void RestoreSpelling(std::vector<ColumnInfo>& columns, const Translation* tr) {
    for (ColumnInfo& c : columns) {
      if (HasUpper(c.name)) continue;
      if (tr) {
        auto it = tr->aliases.find(c.name);
        if (it != tr->aliases.end()) {
          c.name = it->second;
          continue;
        }
      }
      const auto& dictionary = Dictionary();
      if (auto it = dictionary.find(c.name); it != dictionary.end()) {
        c.name = it->second;
        continue;
      }
      if (tr) {
        auto it = tr->spellings.find(c.name);
        if (it != tr->spellings.end()) c.name = it->second;
      }
    }
  }

  // The database's spelled names (sys_identifier), loaded once per session. While the
  // table does not exist it is looked for again after statements that create things.
  const std::unordered_map<std::string, std::string>& Dictionary() {
    if (dictionary_loaded_ || !dictionary_recheck_) return dictionary_;
    dictionary_recheck_ = false;
    Outcome exists;
    Statement probe{"SELECT to_regclass('sys_identifier') IS NOT NULL", {}, false};
    RunStatement(probe, {}, true, exists);
    if (!exists.rows || exists.rows->rows().empty() || !exists.rows->rows()[0][0].ToBool()) return dictionary_;
    Outcome names;
    Statement load{"SELECT name FROM sys_identifier", {}, false};
    RunStatement(load, {}, true, names);
    for (const auto& r : names.rows->rows()) {
      if (r.empty() || r[0].is_null()) continue;
      std::string name = r[0].ToString();
      dictionary_.try_emplace(AsciiLower(name), name);
    }
    dictionary_loaded_ = true;
    return dictionary_;
  }

  ConnectionPtr owner_;
  PGconn* conn_;  // owner_'s
  std::string broken_;
  int64_t current_timeout_ms_ = -1;  // -1: not known
  PreparedCache prepared_{kPreparedCapacity};
  std::unordered_map<std::string, std::shared_ptr<const Translation>> translations_;
  std::unordered_map<std::string, std::string> dictionary_;
  bool dictionary_loaded_ = false;
  bool dictionary_recheck_ = true;
  // Procedures known to return no cursor: called without a transaction of their own.
  std::unordered_set<std::string> plain_procedures_;
};

void PostgresSession::RunStatement(const Statement& st, const std::vector<std::optional<std::string>>& all,
                                   bool keep_rows, Outcome& out, const std::vector<::Oid>* all_types) {
  std::vector<const char*> values;
  std::vector<::Oid> types;
  values.reserve(st.params.size());
  for (size_t index : st.params) {
    if (index >= all.size())
      throw Error(kErrProvider, "No value given for one or more required parameters.", 0, st.sql);
    values.push_back(all[index] ? all[index]->c_str() : nullptr);
    types.push_back(all_types && index < all_types->size() ? (*all_types)[index] : 0);
  }
  bool savepoint = InTransaction() && !TransactionControl(st.sql);
  bool allow_cache = Preparable(st.sql);
  bool typed = false;
  for (int attempt = 0; attempt < 3; ++attempt) {
    bool prepare = false;
    std::string name = allow_cache && !typed ? prepared_.Lookup(st.sql, &prepare) : std::string();
    Outcome result;
    std::vector<PipeItem> items;
    if (savepoint) items.push_back({PipeItem::kText, "SAVEPOINT " + std::string(kSavepoint), {}, nullptr, nullptr, {}});
    size_t prepare_index = items.size();
    if (prepare) items.push_back({PipeItem::kPrepare, st.sql, name, nullptr, nullptr, {}});
    auto sink = [&result, keep_rows](const PGresult* r) { Absorb(r, keep_rows, result); };
    if (name.empty())
      items.push_back({PipeItem::kText, st.sql, {}, &values, typed ? &types : nullptr, sink});
    else
      items.push_back({PipeItem::kPrepared, {}, name, &values, nullptr, sink});
    if (savepoint)
      items.push_back({PipeItem::kText, "RELEASE SAVEPOINT " + std::string(kSavepoint), {}, nullptr, nullptr, {}});

    Failure failure;
    int failed = Pipeline(items, &failure);
    if (prepare && (failed < 0 || failed > static_cast<int>(prepare_index))) prepared_.Prepared(st.sql, name);
    if (failed < 0) {
      out.wrote = out.wrote || result.wrote;
      out.affected += result.affected;
      if (!out.rows) out.rows = std::move(result.rows);
      return;
    }
    if (savepoint) UndoSavepoint();
    if (!name.empty() && failure.sqlstate == "0A000") {
      // A prepared statement whose tables changed shape: run the text afresh.
      prepared_.Forget(st.sql);
      allow_cache = false;
      continue;
    }
    if (!typed && all_types && failure.sqlstate == "42P18") {
      // The statement gives a value no context ("? is null"): say what the value is.
      typed = true;
      continue;
    }
    Fail(failure, st.sql);
  }
  throw Error(kErrProvider, "The statement could not be run.", 0, st.sql);
}

void PostgresSession::RunScript(const Translation& tr, bool keep_rows, Outcome& out) {
  bool savepoint = InTransaction();
  for (const Statement& st : tr.statements) savepoint = savepoint && !TransactionControl(st.sql);
  std::string script = tr.Script();
  if (savepoint)
    script = "SAVEPOINT " + std::string(kSavepoint) + ";\n" + script + "\n;\nRELEASE SAVEPOINT " +
             std::string(kSavepoint);
  CheckUsable();
  if (!PQsendQuery(conn_, script.c_str())) Broken();
  std::optional<Failure> failure;
  Outcome result;
  while (PGresult* r = PQgetResult(conn_)) {
    ResultPtr owned(r);
    ExecStatusType status = PQresultStatus(r);
    if (status == PGRES_FATAL_ERROR || status == PGRES_BAD_RESPONSE) {
      if (!failure) failure = FailureOf(r, conn_);
    } else if (!failure) {
      Absorb(r, keep_rows, result);
    }
    if (PQstatus(conn_) == CONNECTION_BAD) break;
  }
  if (!failure && PQstatus(conn_) == CONNECTION_BAD) Broken();
  if (failure) {
    if (savepoint && PQstatus(conn_) != CONNECTION_BAD) UndoSavepoint();
    Fail(*failure, script);
  }
  out.wrote = out.wrote || result.wrote;
  out.affected += result.affected;
  if (!out.rows) out.rows = std::move(result.rows);
}

ExecuteResult PostgresSession::ExecuteText(std::string_view sql, std::span<const BoundParameter> params,
                                           int32_t timeout_s, bool want_rows) {
  CheckUsable();
  std::shared_ptr<const Translation> tr = Translated(sql);
  std::vector<std::optional<std::string>> values;
  std::vector<::Oid> types;
  values.reserve(params.size());
  for (const BoundParameter& p : params) {
    values.push_back(ParameterText(p.value));
    types.push_back(ParameterType(p.value));
  }
  if (tr->parameter_count > values.size())
    throw Error(kErrProvider, "No value given for one or more required parameters.", 0, std::string(sql));

  SetTimeout(timeout_s);
  Outcome out;
  if (tr->statements.size() > 1 && tr->parameter_count == 0) {
    RunScript(*tr, want_rows, out);
  } else {
    for (const Statement& st : tr->statements) RunStatement(st, values, want_rows, out, &types);
  }
  for (const Statement& st : tr->statements)
    if (st.creates && !dictionary_loaded_) dictionary_recheck_ = true;

  ExecuteResult result;
  result.records_affected = out.wrote ? out.affected : -1;
  if (out.rows) {
    RestoreSpelling(out.rows->mutable_columns(), tr.get());
    result.rows = std::move(out.rows);
  }
  return result;
}

// "[dbo].[Name]", "dbo.Name" -> "name".
std::string FunctionName(std::string_view name) {
  std::string bare(TrimBlanks(name));
  size_t dot = bare.rfind('.');
  if (dot != std::string::npos) bare = bare.substr(dot + 1);
  if (bare.size() >= 2 && ((bare.front() == '[' && bare.back() == ']') || (bare.front() == '"' && bare.back() == '"')))
    bare = bare.substr(1, bare.size() - 2);
  return AsciiLower(bare);
}

// The function's name in a statement: quoted unless it is a plain lower-case name.
std::string FunctionSql(const std::string& name) {
  bool plain = !name.empty() && !(name[0] >= '0' && name[0] <= '9');
  for (char c : name) plain = plain && ((c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_');
  return plain ? name : tsql::QuoteName(name);
}

ExecuteResult PostgresSession::CallProcedure(std::string_view name, std::span<BoundParameter> params,
                                             int32_t timeout_s) {
  CheckUsable();
  std::string function = FunctionName(name);
  std::vector<std::optional<std::string>> texts;
  for (const BoundParameter& p : params)
    if (p.direction != adParamReturnValue && p.direction != adParamOutput) texts.push_back(ParameterText(p.value));
  std::vector<const char*> values;
  for (const auto& t : texts) values.push_back(t ? t->c_str() : nullptr);
  std::string sql = "SELECT * FROM " + FunctionSql(function) + "(";
  for (size_t k = 1; k <= values.size(); ++k) sql += (k > 1 ? ", $" : "$") + std::to_string(k);
  sql += ")";

  SetTimeout(timeout_s);
  bool in_transaction = InTransaction();
  bool plain = plain_procedures_.count(function) > 0;
  // A cursor lives in a transaction: the call gets one of its own (or a savepoint).
  enum { kNoWrap, kWrapSavepoint, kWrapTransaction } wrap =
      in_transaction ? kWrapSavepoint : plain ? kNoWrap : kWrapTransaction;
  std::string sp(kSavepoint);

  auto fail = [&](const Failure& f, bool wrapped) {
    if (PQstatus(conn_) != CONNECTION_BAD && wrapped) {
      if (wrap == kWrapSavepoint) UndoSavepoint();
      if (wrap == kWrapTransaction) RollbackQuietly();
    }
    if (f.sqlstate == "42883" && f.context.empty() && f.message.find(function + "(") != std::string::npos)
      throw Error(kErrProvider, "Could not find stored procedure '" + std::string(name) + "'.", 0, sql,
                  f.sqlstate);
    Fail(f, sql);
  };

  std::optional<com::Variant> return_value;
  std::optional<std::string> return_text;  // converted once the replies are all read
  std::optional<std::string> cursor;
  bool has_cursor_column = false;
  auto sink = [&](const PGresult* r) {
    if (PQresultStatus(r) != PGRES_TUPLES_OK) return;
    has_cursor_column = PQnfields(r) >= 2;
    if (PQntuples(r) < 1 || PQnfields(r) < 1) return;
    if (PQgetisnull(r, 0, 0)) {
      return_value = com::Variant::Null();
    } else {
      return_text = std::string(PQgetvalue(r, 0, 0), static_cast<size_t>(PQgetlength(r, 0, 0)));
    }
    if (PQnfields(r) >= 2 && !PQgetisnull(r, 0, 1)) cursor = std::string(PQgetvalue(r, 0, 1));
  };

  bool prepare = false;
  std::string statement = prepared_.Lookup(sql, &prepare);
  std::vector<PipeItem> items;
  if (wrap == kWrapSavepoint) items.push_back({PipeItem::kText, "SAVEPOINT " + sp, {}, nullptr, nullptr, {}});
  if (wrap == kWrapTransaction) items.push_back({PipeItem::kText, "BEGIN", {}, nullptr, nullptr, {}});
  size_t prepare_index = items.size();
  if (prepare) items.push_back({PipeItem::kPrepare, sql, statement, nullptr, nullptr, {}});
  if (statement.empty())
    items.push_back({PipeItem::kText, sql, {}, &values, nullptr, sink});
  else
    items.push_back({PipeItem::kPrepared, {}, statement, &values, nullptr, sink});
  bool closed_early = plain && wrap == kWrapSavepoint;
  if (closed_early) items.push_back({PipeItem::kText, "RELEASE SAVEPOINT " + sp, {}, nullptr, nullptr, {}});

  Failure failure;
  int failed = Pipeline(items, &failure);
  if (prepare && (failed < 0 || failed > static_cast<int>(prepare_index))) prepared_.Prepared(sql, statement);
  if (failed >= 0) fail(failure, wrap != kNoWrap && !(wrap == kWrapTransaction && failed == 0));
  if (!has_cursor_column) plain_procedures_.insert(function);

  ExecuteResult result;
  std::vector<PipeItem> rest;
  Outcome rows;
  if (cursor) {
    std::string quoted = tsql::QuoteName(*cursor);
    rest.push_back({PipeItem::kText, "FETCH ALL FROM " + quoted, {}, nullptr, nullptr,
                    [&rows](const PGresult* r) { Absorb(r, true, rows); }});
    rest.push_back({PipeItem::kText, "CLOSE " + quoted, {}, nullptr, nullptr, {}});
  }
  if (wrap == kWrapSavepoint && !closed_early)
    rest.push_back({PipeItem::kText, "RELEASE SAVEPOINT " + sp, {}, nullptr, nullptr, {}});
  if (wrap == kWrapTransaction) rest.push_back({PipeItem::kText, "COMMIT", {}, nullptr, nullptr, {}});
  if (!rest.empty()) {
    failed = Pipeline(rest, &failure);
    if (failed >= 0) fail(failure, true);
  }
  // A procedure spells its result columns itself (quoted aliases), lower-case ones
  // such as "sortseq" included, so they are left as they come.
  if (rows.rows) result.rows = std::move(rows.rows);
  // The call is complete; a return value that is not a whole number fails it as a Null
  // one fails the caller's conversion, the procedure's work staying with the caller.
  if (return_text) return_value = ReturnValueFromText(*return_text);
  if (!params.empty() && params[0].direction == adParamReturnValue)
    params[0].value = return_value ? *return_value : com::Variant(int32_t{0});
  return result;
}

}  // namespace

std::unique_ptr<Session> OpenPostgresSession(const ConnectionString& cs, int32_t connection_timeout_s) {
  std::string info = ConnInfo(cs, connection_timeout_s);
  ConnectionPtr conn(PQconnectdb(info.c_str()));
  if (!conn) Raise(kErrProvider, "Out of memory connecting to the PostgreSQL server.");
  if (PQstatus(conn.get()) != CONNECTION_OK) {
    std::string message = TrimMessage(PQerrorMessage(conn.get()));
    throw Error(kErrProvider, message.empty() ? "Could not connect to the PostgreSQL server." : message);
  }
  return std::make_unique<PostgresSession>(std::move(conn));
}

}  // namespace ado::postgres
