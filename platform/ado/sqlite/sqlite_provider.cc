#include "platform/ado/sqlite/sqlite_provider.h"

#include <sqlite3.h>

#include <optional>
#include <string>

#include "platform/ado/error.h"
#include "platform/ado/sqlite/database_file.h"
#include "platform/ado/sqlite/sql_functions.h"
#include "platform/ado/sqlite/sqlite_session.h"
#include "platform/ado/text.h"

namespace ado::sqlite {

namespace {

DatabasePtr OpenHandle(const std::string& name, int flags) {
  sqlite3* raw = nullptr;
  int rc = sqlite3_open_v2(name.c_str(), &raw, flags, nullptr);
  DatabasePtr db(raw);
  if (rc != SQLITE_OK) throw Error(kErrProvider, db ? sqlite3_errmsg(db.get()) : sqlite3_errstr(rc), rc);
  sqlite3_extended_result_codes(db.get(), 1);
  rc = RegisterFunctions(db.get());
  if (rc != SQLITE_OK) throw Error(kErrProvider, sqlite3_errmsg(db.get()), rc);
  return db;
}

}  // namespace

std::unique_ptr<Session> OpenSqliteSession(const ConnectionString& cs, int32_t connection_timeout_s) {
  std::optional<std::string> path = cs.Get("Data Source");
  if (!path) path = cs.Get("DataSource");
  if (!path) path = cs.Get("Database");
  if (!path || path->empty()) Raise(kErrProvider, "The connection string names no Data Source.");

  std::string mode = cs.GetOr("Mode", "");
  const bool memory = *path == ":memory:";
  const bool create = EqualsIgnoreCase(mode, "Create") || memory;
  const bool read = EqualsIgnoreCase(mode, "Read");

  // Nothing is written to a file that is not a database, not even on a failed open.
  using Kind = DatabaseFile::Kind;
  DatabaseFile file = memory ? DatabaseFile{Kind::kEmpty, true, true} : InspectDatabaseFile(*path);
  if (file.kind == Kind::kOther) throw Error(kErrProvider, "not a database: " + *path, SQLITE_NOTADB);
  if (file.kind == Kind::kMissing && !create) throw Error(kErrProvider, "database does not exist: " + *path, SQLITE_CANTOPEN);

  // A database that cannot be written is still there to be read.
  std::string read_only_reason;
  if (!read && file.kind != Kind::kMissing) {
    if (!file.writable)
      read_only_reason = *path + " is read-only and was opened for reading only";
    else if (!file.folder_writable)
      read_only_reason = "the folder of " + *path + " is read-only; the database was opened for reading only";
  }
  const bool read_only = read || !read_only_reason.empty();
  int flags = read_only ? SQLITE_OPEN_READONLY : SQLITE_OPEN_READWRITE | (create ? SQLITE_OPEN_CREATE : 0);

  auto open = [&](const std::string& name, int open_flags) {
    auto session = std::make_unique<SqliteSession>(OpenHandle(name, open_flags), connection_timeout_s, read_only_reason);
    // Readers and one writer work side by side in WAL mode. An empty file becomes a
    // database only when asked to create one.
    // While another connection writes, the mode cannot change (SQLite refuses at once
    // rather than wait); the database then works in its own mode this time.
    if (!read_only && (file.kind == Kind::kDatabase || create)) {
      try {
        session->Run("PRAGMA journal_mode=WAL", {}, false);
      } catch (const Error& e) {
        if ((e.native_code() & 0xFF) != SQLITE_BUSY) throw;
      }
    }
    session->Run("PRAGMA foreign_keys=ON", {}, false);
    // Proves that the database can be read at all.
    session->Run("SELECT count(*) FROM sqlite_master", {}, false);
    return session;
  };
  if (!read_only || memory) return open(*path, flags);
  try {
    return open(*path, flags);
  } catch (const Error& e) {
    // A WAL database in a folder that takes no new files cannot share its index:
    // read it as a file that nobody changes.
    if (!file.folder_writable || !file.writable) return open(ImmutableUri(*path), SQLITE_OPEN_READONLY | SQLITE_OPEN_URI);
    throw;
  }
}

}  // namespace ado::sqlite
