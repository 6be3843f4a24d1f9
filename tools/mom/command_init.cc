// mom init DB [--sample] [--force] | mom init DB --upgrade

#include <stdexcept>

#include "database/manufacturing_db.h"
#include "database/postgres_database.h"
#include "database/quantity_journal.h"
#include "tools/mom/commands.h"
#include "tools/mom/console_error.h"
#include "tools/mom/database_target.h"

namespace mom_console {

int RunInit(const Words& words, std::ostream& out) {
  bool sample = false, force = false, upgrade = false;
  std::string db;
  for (const std::string& w : words) {
    if (w == "--sample")
      sample = true;
    else if (w == "--force")
      force = true;
    else if (w == "--upgrade")
      upgrade = true;
    else if (w.rfind("--", 0) == 0)
      throw UsageError("unknown option " + w);
    else if (db.empty())
      db = w;
    else
      throw UsageError("unexpected argument " + w);
  }
  if (db.empty()) throw UsageError("usage: mom init DB [--sample] [--force] | mom init DB --upgrade");
  if (upgrade) {
    if (sample || force) throw UsageError("--upgrade changes an existing database; it takes no --sample or --force");
    const DatabaseTarget existing = ExistingDatabase(db);
    const std::string target = existing.file_path.empty() ? existing.connection_string : existing.file_path;
    const database::UpgradeResult result = database::UpgradeDatabase(target);
    out << (result == database::UpgradeResult::kJournalAdded
                ? "upgraded " + target + ": added the quantity journal (it records changes from now on)"
                : target + " is up to date")
        << "\n";
    return kExitOk;
  }
  // A server database is named by its connection string; a file by its path or by a
  // connection string whose Data Source is that path.
  std::string target = database::IsPostgresTarget(db) ? db : DatabaseFileToCreate(db);
  try {
    database::CreateDatabase(target, sample, force);
  } catch (const std::runtime_error& e) {
    throw UsageError(e.what());
  }
  out << "created " << target << (sample ? " with the sample company" : "") << "\n";
  return kExitOk;
}

}  // namespace mom_console
