#pragma once
// What the manufacturing database hands the data layer, which builds in no knowledge
// of it: the stored procedures written for the SQLite provider (RegisterProcedures,
// manufacturing_db.h) and the application catalog every provider consults
// (platform/ado/application_catalog.h): the table where the database keeps its
// identifiers as spelled, and the column names a provider's SQL reserves.
//
// Both are registered when this library is loaded. A program that links it without
// calling anything in it (so that the linker may leave it out) calls
// RegisterWithDataLayer, which may be called any number of times.

#include <string_view>

#include "platform/ado/application_catalog.h"

namespace database {

// The table of spelled identifiers (a column `name`), written when a PostgreSQL
// database is made (postgres_database.h).
inline constexpr std::string_view kSpellingTable = "sys_identifier";

// The catalog of the manufacturing database.
ado::ApplicationCatalog ManufacturingCatalog();

void RegisterWithDataLayer();

}  // namespace database
