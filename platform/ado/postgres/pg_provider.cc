#include "platform/ado/postgres/pg_provider.h"

#include <libpq-fe.h>

#include <memory>
#include <string>

#include "platform/ado/error.h"
#include "platform/ado/postgres/pg_result.h"
#include "platform/ado/postgres/pg_session.h"

namespace ado::postgres {

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
