// Stored procedures on PostgreSQL: functions returning the return value, or a row
// (return value, refcursor) whose cursor holds the procedure's rows.
#include <optional>
#include <string>
#include <vector>

#include "platform/ado/numeric_rules.h"
#include "platform/ado/postgres/pg_session.h"
#include "platform/ado/postgres/pg_values.h"
#include "platform/ado/text.h"
#include "platform/ado/tsql/select_items.h"

namespace ado::postgres {

namespace {

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

}  // namespace

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

}  // namespace ado::postgres
