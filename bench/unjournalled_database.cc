#include "bench/unjournalled_database.h"

#include <sqlite3.h>

#include <algorithm>
#include <stdexcept>
#include <string_view>

#include "database/postgres_database.h"
#include "platform/ado/connection.h"
#include "platform/ado/recordset.h"

namespace mom_bench {
namespace {

// The procedure text without the statements that write the journal: each begins with
// one of these words and ends at its first semicolon.
std::string WithoutJournal(std::string_view script) {
  std::string out;
  for (;;) {
    size_t at = std::string_view::npos;
    for (std::string_view start : {"PERFORM mom_journal_quantity(", "INSERT INTO sys_qtyjournal"})
      at = std::min(at, script.find(start));
    if (at == std::string_view::npos) break;
    out += script.substr(0, at);
    script.remove_prefix(script.find(';', at) + 1);
  }
  return out += script;
}

}  // namespace

void RemoveQuantityJournal(const std::string& target) {
  if (database::IsPostgresTarget(target)) {
    com::Ptr<ado::Connection> db = ado::Connection::Create();
    db->Open(target);
    db->BeginTrans();
    db->Execute("DROP TRIGGER trg_mps_netdemand_journal ON mps_netdemand", nullptr, ado::adExecuteNoRecords);
    db->Execute("DROP TABLE sys_qtyjournal", nullptr, ado::adExecuteNoRecords);
    for (const char* script : database::PostgresProcedureScripts())
      db->Execute(WithoutJournal(script), nullptr, ado::adExecuteNoRecords);
    db->CommitTrans();
    return;
  }
  sqlite3* db = nullptr;
  sqlite3_open_v2(target.c_str(), &db, SQLITE_OPEN_READWRITE, nullptr);
  char* message = nullptr;
  const int rc = sqlite3_exec(db,
                              "DROP TRIGGER trg_mps_netdemand_journal; DROP TABLE sys_qtyjournal; "
                              "PRAGMA user_version = 1",
                              nullptr, nullptr, &message);
  const std::string text = message ? message : "";
  sqlite3_free(message);
  sqlite3_close(db);
  if (rc != SQLITE_OK) throw std::runtime_error("cannot remove the journal from " + target + ": " + text);
}

}  // namespace mom_bench
