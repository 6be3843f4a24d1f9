#pragma once
// The embedded SQLite provider: "Provider=SQLite;Data Source=PATH[;Mode=Create]".
//
// A session opens an existing database file (Mode=Create may create it; Mode=Read opens
// it read-only) in WAL mode with foreign keys on, translates the component's
// statements (dialect.h), keeps prepared statements per connection, enforces command
// timeouts, and runs stored procedures from the procedure catalog on its own handle
// inside a savepoint.

#include <memory>
#include <string_view>

#include "platform/ado/connection_string.h"
#include "platform/ado/provider.h"

namespace ado::sqlite {

// The name procedures are registered under for this provider.
inline constexpr std::string_view kProviderName = "SQLite";

std::unique_ptr<Session> OpenSqliteSession(const ConnectionString& cs, int32_t connection_timeout_s);

}  // namespace ado::sqlite
