#include "bench/pg_raw.h"

#include <cstdlib>
#include <vector>

#include "platform/ado/connection_string.h"
#include "platform/com/error.h"

namespace mom_bench {

namespace {

void AppendConnInfoValue(std::string& out, const char* key, const std::string& value) {
  if (!out.empty()) out += ' ';
  out += key;
  out += "='";
  for (char c : value) {
    if (c == '\'' || c == '\\') out += '\\';
    out += c;
  }
  out += '\'';
}

}  // namespace

std::string LibpqConnInfo(const std::string& connection_string) {
  const ado::ConnectionString parsed(connection_string);
  std::string info;
  const std::pair<const char*, const char*> keys[] = {
      {"Host", "host"}, {"Port", "port"}, {"User ID", "user"}, {"Password", "password"}, {"Database", "dbname"}};
  for (const auto& [ado_key, libpq_key] : keys)
    if (std::optional<std::string> value = parsed.Get(ado_key)) AppendConnInfoValue(info, libpq_key, *value);
  return info;
}

PgSession::PgSession(const std::string& connection_string)
    : conn_(PQconnectdb(LibpqConnInfo(connection_string).c_str())) {
  if (!conn_) throw com::Error(kErrPostgresRefused, "out of memory connecting to the server");
  if (PQstatus(conn_.get()) != CONNECTION_OK)
    throw com::Error(kErrPostgresRefused, std::string("cannot connect: ") + PQerrorMessage(conn_.get()));
}

PgResult PgSession::Check(PGresult* raw, const char* what) {
  PgResult result(raw);
  const ExecStatusType status = result ? PQresultStatus(result.get()) : PGRES_FATAL_ERROR;
  if (status != PGRES_COMMAND_OK && status != PGRES_TUPLES_OK)
    throw com::Error(kErrPostgresRefused, std::string(what) + ": " + PQerrorMessage(conn_.get()));
  return result;
}

void PgSession::Execute(const char* sql) { Check(PQexec(conn_.get(), sql), sql); }

void PgSession::Prepare(const char* name, const char* sql) {
  if (prepared_.contains(name)) return;
  Check(PQprepare(conn_.get(), name, sql, 0, nullptr), name);
  prepared_.insert(name);
}

PgResult PgSession::Run(const char* name, std::initializer_list<const char*> params) {
  return Check(PQexecPrepared(conn_.get(), name, static_cast<int>(params.size()), params.begin(), nullptr, nullptr, 0),
               name);
}

const char* PgText(const PgResult& result, int row, int column) {
  return PQgetisnull(result.get(), row, column) ? nullptr : PQgetvalue(result.get(), row, column);
}

int PgInt(const PgResult& result, int row, int column) { return std::atoi(PQgetvalue(result.get(), row, column)); }

double PgNumber(const PgResult& result, int row, int column) {
  return std::strtod(PQgetvalue(result.get(), row, column), nullptr);
}

}  // namespace mom_bench
