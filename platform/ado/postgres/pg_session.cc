#include <optional>
#include <string>
#include <vector>

#include "platform/ado/postgres/pg_session.h"
#include "platform/ado/postgres/pg_values.h"
#include "platform/ado/postgres/statement_words.h"

namespace ado::postgres {

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

}  // namespace ado::postgres
