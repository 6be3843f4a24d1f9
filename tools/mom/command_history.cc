// mom history DB (--order MOCODE | --line MODID | --allocation ID | --routing-line ID) [--table]

#include <algorithm>
#include <iomanip>
#include <sstream>
#include <string>
#include <vector>

#include "database/journal_replay.h"
#include "platform/ado/connection.h"
#include "tools/mom/commands.h"
#include "tools/mom/console_error.h"
#include "tools/mom/database_target.h"
#include "tools/mom/journal_text.h"
#include "tools/mom/json_values.h"

namespace mom_console {
namespace {

constexpr char kUsage[] =
    "usage: mom history DB (--order MOCODE | --line MODID | --allocation ID | --routing-line ID) [--table]";

int64_t Key(const std::string& option, const std::string& value) {
  try {
    size_t used = 0;
    const long long key = std::stoll(value, &used);
    if (used == value.size()) return key;
  } catch (const std::exception&) {
  }
  throw UsageError(option + " takes a row key (a whole number), not '" + value + "'");
}

Json EntryJson(const database::JournalEntry& e) {
  Json j;
  j["id"] = e.id;
  j["when"] = e.changed_at;
  j["user"] = e.user;
  j["application"] = e.application;
  j["procedure"] = e.procedure;
  j["type"] = e.type_code ? Json(*e.type_code) : Json(nullptr);
  j["table"] = e.table;
  j["row"] = e.row;
  j["column"] = e.column;
  j["before"] = e.before ? Json(*e.before) : Json(nullptr);
  j["after"] = e.after;
  j["change"] = e.change;
  j["total"] = e.total;
  j["token_before"] = e.version_before ? Json(database::VersionToken(*e.version_before)) : Json(nullptr);
  j["token_after"] = e.version_after ? Json(database::VersionToken(*e.version_after)) : Json(nullptr);
  return j;
}

// One row per entry under a header, each column as wide as its widest value.
void PrintTable(const std::vector<database::JournalEntry>& entries, std::ostream& out) {
  const std::vector<std::string> header = {"when",   "user",   "procedure", "type",   "table", "row",
                                           "column", "before", "after",     "change", "total", "token"};
  std::vector<std::vector<std::string>> rows{header};
  for (const auto& e : entries)
    rows.push_back({e.changed_at, e.user, e.procedure, e.type_code ? std::to_string(*e.type_code) : "",
                    e.table, std::to_string(e.row), e.column, e.before ? QuantityText(*e.before) : "",
                    QuantityText(e.after), SignedQuantityText(e.change), QuantityText(e.total),
                    e.version_after ? database::VersionToken(*e.version_after) : ""});
  std::vector<size_t> widths(header.size(), 0);
  for (const auto& r : rows)
    for (size_t i = 0; i < r.size(); ++i) widths[i] = std::max(widths[i], DisplayWidth(r[i]));
  // Numbers are right-aligned, words left-aligned.
  const std::vector<bool> right = {false, false, false, true, false, true, false, true, true, true, true, false};
  for (const auto& r : rows) {
    std::string line;
    for (size_t i = 0; i < r.size(); ++i) {
      const std::string pad(widths[i] - DisplayWidth(r[i]), ' ');
      line += (i ? "  " : "") + (right[i] ? pad + r[i] : r[i] + (i + 1 < r.size() ? pad : ""));
    }
    out << line << "\n";
  }
}

}  // namespace

int RunHistory(const Words& words, std::ostream& out) {
  std::string db;
  bool table = false;
  int selections = 0;
  database::JournalSelection selection;
  for (size_t i = 0; i < words.size(); ++i) {
    const std::string& w = words[i];
    using Kind = database::JournalSelection::Kind;
    auto value = [&]() -> const std::string& {
      if (i + 1 >= words.size()) throw UsageError(w + " needs a value");
      return words[++i];
    };
    if (w == "--table") {
      table = true;
    } else if (w == "--order") {
      selection.kind = Kind::kOrder, selection.order_code = value(), ++selections;
    } else if (w == "--line") {
      selection.kind = Kind::kOrderLine, selection.key = Key(w, value()), ++selections;
    } else if (w == "--allocation") {
      selection.kind = Kind::kAllocation, selection.key = Key(w, value()), ++selections;
    } else if (w == "--routing-line") {
      selection.kind = Kind::kRoutingLine, selection.key = Key(w, value()), ++selections;
    } else if (w.rfind("--", 0) == 0) {
      throw UsageError("unknown option " + w);
    } else if (db.empty()) {
      db = w;
    } else {
      throw UsageError("unexpected argument " + w);
    }
  }
  if (db.empty() || selections != 1) throw UsageError(kUsage);
  DatabaseTarget target = ExistingDatabase(db);
  com::Ptr<ado::Connection> connection = ado::Connection::Create();
  connection->Open(target.connection_string);
  const std::vector<database::JournalEntry> entries = database::ReadJournal(*connection, selection);
  if (table) {
    PrintTable(entries, out);
  } else {
    for (const auto& e : entries) out << EntryJson(e).dump() << "\n";
  }
  return kExitOk;
}

}  // namespace mom_console
