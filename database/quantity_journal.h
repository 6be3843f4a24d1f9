#pragma once
// The quantity journal of the manufacturing database (quantity_journal.sql and its
// PostgreSQL twin): every change that a write-back procedure, the order generation or
// the net-demand crediting makes to a quantity, appended in the same transaction.
// Part of every new database; UpgradeDatabase adds it to an older one. A database
// without it works as before, unjournalled; reading or verifying it is refused.

#include <cstdint>
#include <string>

#include "platform/ado/connection.h"

namespace database {

// The embedded database's user_version from which it keeps the journal.
inline constexpr int kJournalSchemaVersion = 2;

// Errors raised as com::Error (application range).
inline constexpr int32_t kErrNoQuantityJournal = static_cast<int32_t>(0x80040000u + 512 + 1021);
inline constexpr int32_t kErrNewerSchema = static_cast<int32_t>(0x80040000u + 512 + 1022);

// The journal's DDL for each database; both can be run again.
const char* QuantityJournalSql();
const char* PostgresQuantityJournalSql();

// Whether the database of the open connection keeps the journal.
bool HasQuantityJournal(ado::Connection& connection);
// Raises kErrNoQuantityJournal, naming the upgrade, when it does not.
void RequireQuantityJournal(ado::Connection& connection);

// What UpgradeDatabase did.
enum class UpgradeResult { kUpToDate, kJournalAdded };

// Brings the database `target` names (a file path or a connection string, as for
// CreateDatabase) up to this version: adds the quantity journal and, on PostgreSQL,
// replaces the procedures with the ones that write it. Rows are never changed, and
// the journal starts empty: it records changes from now on. In one transaction;
// refuses, changing nothing, what is not a manufacturing database
// (kErrNotManufacturingDatabase) and a file of a newer version (kErrNewerSchema).
UpgradeResult UpgradeDatabase(const std::string& target);

}  // namespace database
