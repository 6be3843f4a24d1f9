#pragma once
// The manufacturing database on a PostgreSQL server: the same tables, the stored
// procedures in PL/pgSQL and the sample company, created through the data layer.
//
// Target: a connection string of the PostgreSQL provider that names the database to
// create, e.g.
//   Provider=PostgreSQL;Host=/run/pg;Port=5432;Database=mom;User ID=postgres
// The server is reached through its maintenance database "postgres" to create (and,
// when overwriting, first drop) that database; the user needs the right to create
// databases, nothing more.

#include <array>
#include <cstdint>
#include <string_view>

#include "platform/ado/connection_string.h"

namespace database {

// Errors of creation, raised as com::Error with these numbers (application range).
inline constexpr int32_t kErrDatabaseExists = static_cast<int32_t>(0x80040000u + 512 + 1001);
inline constexpr int32_t kErrNoDatabaseName = static_cast<int32_t>(0x80040000u + 512 + 1002);

// Whether `target` is a connection string naming the PostgreSQL provider.
bool IsPostgresTarget(std::string_view target);

// Creates the database the target names with the schema, the procedures, the
// spellings in sys_identifier and, with `with_sample`, the sample company. An existing
// database is dropped first with `overwrite` (its sessions are ended) and otherwise
// refused. Raises com::Error (a std::runtime_error): kErrDatabaseExists, or the data
// layer's error when the server refuses a step; a half-made database is dropped.
void CreatePostgresDatabase(const ado::ConnectionString& target, bool with_sample, bool overwrite);

// The DDL (with the idempotency keys) and the procedures (one script per group) for
// PostgreSQL, as text.
const char* PostgresSchemaSql();
std::array<const char*, 4> PostgresProcedureScripts();

}  // namespace database
