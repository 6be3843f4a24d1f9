// mom verify DB

#include <string>

#include "database/journal_replay.h"
#include "platform/ado/connection.h"
#include "tools/mom/commands.h"
#include "tools/mom/console_error.h"
#include "tools/mom/database_target.h"
#include "tools/mom/journal_text.h"
#include "tools/mom/json_values.h"

namespace mom_console {

int RunVerify(const Words& words, std::ostream& out, std::ostream& err) {
  std::string db;
  for (const std::string& w : words) {
    if (w == "--fix")
      throw UsageError("--fix is not offered: a counter that differs from its journal was changed outside the "
                       "write-backs, and only its documents can say which value is right");
    if (w.rfind("--", 0) == 0) throw UsageError("unknown option " + w);
    if (!db.empty()) throw UsageError("unexpected argument " + w);
    db = w;
  }
  if (db.empty()) throw UsageError("usage: mom verify DB");
  DatabaseTarget target = ExistingDatabase(db);
  com::Ptr<ado::Connection> connection = ado::Connection::Create();
  connection->Open(target.connection_string);
  const database::VerifyReport report = database::VerifyJournal(*connection);
  for (const database::CounterDrift& d : report.drifts) {
    Json j;
    j["table"] = d.table;
    j["row"] = d.row;
    j["column"] = d.column;
    j["journal"] = d.journal_value;
    j["current"] = d.current_value;
    j["difference"] = d.current_value - d.journal_value;
    if (d.break_at) {
      j["changed_outside_before"] = *d.break_at;
      j["journal_had"] = d.break_expected;
      j["found"] = d.break_found;
    }
    j["entries"] = d.entries;
    j["last_change"] = d.last_changed_at;
    j["last_procedure"] = d.last_procedure;
    j["look_at"] = d.documents;
    out << j.dump() << "\n";
  }
  err << "verify: " << report.counters << " counter(s) replayed from " << report.entries << " journal row(s); ";
  if (report.drifts.empty()) {
    err << "all agree\n";
    return kExitOk;
  }
  err << report.drifts.size() << " differ from their journal (changed outside the write-backs: see look_at)\n";
  return kExitFailure;
}

}  // namespace mom_console
