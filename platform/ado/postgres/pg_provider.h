#pragma once
// The PostgreSQL provider (libpq):
//   "Provider=PostgreSQL;Host=H;Port=P;Database=D;User ID=U;Password=W"
// Host may also be Server or Data Source (a value starting with '/' is a socket
// directory, "host,port" names the port too); Database may be Initial Catalog; User
// ID may be UID or User; Password may be PWD.
//
// A session translates the component's statements (dialect.h) and binds "?" values as
// untyped text, so the server infers their types from the statement. It keeps named
// prepared statements for texts it runs again, sets statement_timeout from the command
// timeout, and gives each statement and procedure call inside a transaction a
// savepoint in the same round trip (libpq pipeline mode): a failing statement undoes
// only itself, as on the original server. Result column names get back the spelling of
// the statement's text or of the table the application catalog names
// (application_catalog.h). Stored procedures are functions returning the return value,
// or a row (return value, refcursor) whose cursor holds the procedure's rows.

#include <memory>
#include <string_view>

#include "platform/ado/connection_string.h"
#include "platform/ado/provider.h"

namespace ado::postgres {

inline constexpr std::string_view kProviderName = "PostgreSQL";

std::unique_ptr<Session> OpenPostgresSession(const ConnectionString& cs, int32_t connection_timeout_s);

// The libpq connection string ("key='value' ...") for an ADO connection string.
std::string ConnInfo(const ConnectionString& cs, int32_t connection_timeout_s);

}  // namespace ado::postgres
