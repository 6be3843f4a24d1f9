// mom so-lines DB [ORDER_CODE ...] / mom ext-lines DB [CODE ...]

#include "platform/ado/connection.h"
#include "suite/demand_lines.h"
#include "tools/mom/commands.h"
#include "tools/mom/console_error.h"
#include "tools/mom/database_target.h"
#include "tools/mom/json_values.h"

namespace mom_console {

int RunLines(const Words& words, std::ostream& out, bool external) {
  if (words.empty())
    throw UsageError(external ? "usage: mom ext-lines DB [CODE ...]" : "usage: mom so-lines DB [ORDER_CODE ...]");
  DatabaseTarget target = ExistingDatabase(words[0]);
  com::Ptr<ado::Connection> connection = ado::Connection::Create();
  connection->Open(target.connection_string);
  const Words codes(words.begin() + 1, words.end());
  com::Ptr<ado::Recordset> rs =
      external ? suite::ExternalDemandLines(connection.get(), codes) : suite::SalesDemandLines(connection.get(), codes);
  out << RecordsetToJson(*rs).dump(2) << "\n";
  return kExitOk;
}

}  // namespace mom_console
