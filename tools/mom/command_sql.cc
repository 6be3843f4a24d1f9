// mom sql DB STATEMENT

#include "platform/ado/connection.h"
#include "platform/ado/recordset.h"
#include "tools/mom/commands.h"
#include "tools/mom/console_error.h"
#include "tools/mom/database_target.h"
#include "tools/mom/json_values.h"

namespace mom_console {

int RunSql(const Words& words, std::ostream& out, std::ostream& err) {
  if (words.size() != 2) throw UsageError("usage: mom sql DB STATEMENT");
  DatabaseTarget target = ExistingDatabase(words[0]);
  com::Ptr<ado::Connection> connection = ado::Connection::Create();
  connection->Open(target.connection_string);
  int64_t affected = -1;
  com::Ptr<ado::Recordset> rs = connection->Execute(words[1], &affected);
  if (rs && rs->State() == ado::adStateOpen) {
    Json result = RecordsetToJson(*rs);
    for (const Json& row : result["rows"]) out << row.dump() << "\n";
  } else if (affected >= 0) {
    err << affected << " row(s) affected\n";
  }
  return kExitOk;
}

}  // namespace mom_console
