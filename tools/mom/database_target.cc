#include "tools/mom/database_target.h"

#include <filesystem>

#include "platform/ado/connection_string.h"
#include "tools/mom/console_error.h"

namespace mom_console {

namespace {
bool LooksLikeConnectionString(const std::string& db) { return db.find('=') != std::string::npos; }
}  // namespace

DatabaseTarget ExistingDatabase(const std::string& db) {
  DatabaseTarget target;
  if (LooksLikeConnectionString(db)) {
    target.connection_string = db;
    ado::ConnectionString cs(db);
    std::string provider = cs.GetOr("Provider", "SQLite");
    if (provider == "SQLite" || provider == "sqlite") target.file_path = cs.GetOr("Data Source", "");
  } else {
    target.file_path = db;
    target.connection_string = ado::ConnectionString::ForSqliteFile(db);
  }
  if (!target.file_path.empty() && !std::filesystem::is_regular_file(target.file_path))
    throw UsageError("database does not exist: " + target.file_path + " (create one with: mom init " +
                     target.file_path + " --sample)");
  return target;
}

std::string DatabaseFileToCreate(const std::string& db) {
  if (!LooksLikeConnectionString(db)) return db;
  ado::ConnectionString cs(db);
  auto path = cs.Get("Data Source");
  if (!path || path->empty()) throw UsageError("the connection string names no Data Source file: " + db);
  return *path;
}

}  // namespace mom_console
