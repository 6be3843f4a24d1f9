#include "database/journal_replay.h"

#include <cmath>
#include <map>
#include <set>
#include <tuple>

#include "database/quantity_journal.h"
#include "platform/ado/field.h"
#include "platform/ado/recordset.h"
#include "platform/ado/sqlite/dialect.h"
#include "platform/ado/text.h"
#include "platform/com/error.h"
#include "platform/com/variant.h"

namespace database {

namespace {

// Quantities are kept to six places; anything closer is the same quantity.
constexpr double kSameQuantity = 5e-7;

// The counters the journal records, with the key of their table; table and column
// names in statements come from here, never from the journal's rows.
struct JournalledTable {
  const char* table;
  const char* key;
  std::vector<const char*> columns;
};
const JournalledTable kJournalledTables[] = {
    {"mom_orderdetail", "MoDId", {"Qty", "QualifiedInQty", "DeclaredQty"}},
    {"mom_moallocate", "AllocateId", {"Qty", "IssQty", "InspQty"}},
    {"sfc_moroutingdetail",
     "MoRoutingDId",
     {"QualifiedQty", "ScrapQty", "RefusedQty", "BalQualifiedQty", "TransOutQty", "CompleteQty"}},
    {"sfc_optransformdetail", "OpMdId", {"Qty"}},
    {"mps_netdemand", "DemandId", {"crdqty"}},
};

constexpr char kEntryColumns[] =
    "select JournalId, ChangedAt, SessionUser, AppName, ProcName, TypeCode, TableName, RowKey, ColumnName, "
    "QtyBefore, QtyAfter, QtyChange, KrtsBefore, KrtsAfter from sys_qtyjournal";

std::string Text(const com::Variant& v) { return v.is_null() ? std::string() : v.ToString(); }
template <typename T>
std::optional<T> Maybe(const com::Variant& v) {
  if (v.is_null()) return std::nullopt;
  if constexpr (std::is_same_v<T, double>) return v.ToR8();
  else if constexpr (std::is_same_v<T, int32_t>) return v.ToI4();
  else return v.ToI8();
}

std::vector<std::vector<com::Variant>> Rows(ado::Connection& connection, const std::string& sql) {
  std::vector<std::vector<com::Variant>> rows;
  com::Ptr<ado::Recordset> rs = connection.Execute(sql);
  for (; rs->State() == ado::adStateOpen && !rs->Eof(); rs->MoveNext()) {
    std::vector<com::Variant> row;
    for (int32_t i = 0; i < rs->fields().Count(); ++i) row.push_back(rs->fields().Item(i).Value());
    rows.push_back(std::move(row));
  }
  return rows;
}

JournalEntry EntryOf(const std::vector<com::Variant>& r) {
  JournalEntry e;
  e.id = r[0].ToI8();
  e.changed_at = Text(r[1]);
  e.user = Text(r[2]);
  e.application = Text(r[3]);
  e.procedure = Text(r[4]);
  e.type_code = Maybe<int32_t>(r[5]);
  e.table = Text(r[6]);
  e.row = r[7].ToI8();
  e.column = Text(r[8]);
  e.before = Maybe<double>(r[9]);
  e.after = r[10].ToR8();
  e.change = r[11].ToR8();
  e.version_before = Maybe<int64_t>(r[12]);
  e.version_after = Maybe<int64_t>(r[13]);
  return e;
}

std::string QuoteLiteral(std::string_view text) {
  std::string out = "'";
  for (char c : text) out += c == '\'' ? std::string("''") : std::string(1, c);
  return out + "'";
}

std::string IdList(const std::vector<int64_t>& ids) {
  std::string out;
  for (int64_t id : ids) out += (out.empty() ? "" : ", ") + std::to_string(id);
  return out;
}

std::vector<int64_t> Ids(ado::Connection& connection, const std::string& sql) {
  std::vector<int64_t> ids;
  for (const auto& r : Rows(connection, sql)) ids.push_back(r[0].ToI8());
  return ids;
}

// table -> keys of the rows whose journal the selection shows.
std::map<std::string, std::vector<int64_t>> SelectedRows(ado::Connection& connection, const JournalSelection& s) {
  using Kind = JournalSelection::Kind;
  std::map<std::string, std::vector<int64_t>> rows;
  if (s.kind == Kind::kAllocation) return {{"mom_moallocate", {s.key}}};
  if (s.kind == Kind::kRoutingLine) return {{"sfc_moroutingdetail", {s.key}}};
  std::vector<int64_t> lines{s.key};
  if (s.kind == Kind::kOrder) {
    lines = Ids(connection, "select d.MoDId from mom_orderdetail d join mom_order o on o.MoId = d.MoId "
                            "where o.MoCode = " + QuoteLiteral(s.order_code));
    if (lines.empty() &&
        Ids(connection, "select MoId from mom_order where MoCode = " + QuoteLiteral(s.order_code)).empty())
      throw com::Error(kErrNoSuchOrder, "生产订单不存在: " + s.order_code);
  }
  rows["mom_orderdetail"] = lines;
  if (lines.empty()) return rows;
  const std::string in_lines = IdList(lines);
  rows["mom_moallocate"] = Ids(connection, "select AllocateId from mom_moallocate where MoDId in (" + in_lines + ")");
  std::vector<int64_t> routing = Ids(connection,
                                     "select r.MoRoutingDId from sfc_moroutingdetail r join sfc_morouting m "
                                     "on m.MoRoutingId = r.MoRoutingId where m.MoDId in (" + in_lines + ")");
  rows["sfc_moroutingdetail"] = routing;
  if (!routing.empty())
    rows["sfc_optransformdetail"] =
        Ids(connection, "select OpMdId from sfc_optransformdetail where MoRoutingDId in (" + IdList(routing) + ")");
  return rows;
}

using CounterKey = std::tuple<std::string, int64_t, std::string>;  // table, row, column in lower case

CounterKey KeyOf(const JournalEntry& e) { return {ado::AsciiLower(e.table), e.row, ado::AsciiLower(e.column)}; }

bool Same(double a, double b) { return std::fabs(a - b) < kSameQuantity; }

// First value of the first row as text, or empty.
std::vector<std::string> FirstRow(ado::Connection& connection, const std::string& sql) {
  std::vector<std::string> out;
  auto rows = Rows(connection, sql);
  if (!rows.empty())
    for (const auto& v : rows[0]) out.push_back(Text(v));
  return out;
}

// Which documents changed the counter, in words, with the order they belong to.
std::string Documents(ado::Connection& connection, const CounterDrift& d) {
  const std::string key = std::to_string(d.row);
  const std::string column = ado::AsciiLower(d.column);
  if (d.table == "mom_orderdetail") {
    auto r = FirstRow(connection, "select o.MoCode, d.SortSeq from mom_orderdetail d join mom_order o "
                                  "on o.MoId = d.MoId where d.MoDId = " + key);
    const std::string line = r.empty() ? "line " + key : "order " + r[0] + " line " + r[1];
    if (column == "qualifiedinqty") return "product receipts (产成品入库单) of " + line;
    if (column == "declaredqty") return "inspection requests (报检单) of " + line;
    return "the order itself: " + line;
  }
  if (d.table == "mom_moallocate") {
    auto r = FirstRow(connection, "select o.MoCode, d.SortSeq, a.InvCode from mom_moallocate a "
                                  "join mom_orderdetail d on d.MoDId = a.MoDId join mom_order o on o.MoId = d.MoId "
                                  "where a.AllocateId = " + key);
    const std::string what = r.empty() ? "allocation " + key
                                       : "component " + r[2] + " of order " + r[0] + " line " + r[1];
    if (column == "issqty") return "material issues and returns (材料出库单) of " + what;
    if (column == "inspqty") return "inspections (检验单) of " + what;
    return "the order itself: " + what;
  }
  if (d.table == "sfc_moroutingdetail") {
    auto r = FirstRow(connection, "select o.MoCode, d.SortSeq, r.OpSeq from sfc_moroutingdetail r "
                                  "join sfc_morouting m on m.MoRoutingId = r.MoRoutingId "
                                  "join mom_orderdetail d on d.MoDId = m.MoDId join mom_order o on o.MoId = d.MoId "
                                  "where r.MoRoutingDId = " + key);
    const std::string what = r.empty() ? "routing line " + key
                                       : "operation " + r[2] + " of order " + r[0] + " line " + r[1];
    if (column == "transoutqty") return "operation moves (工序转移单) out of " + what;
    if (column == "completeqty") return "product receipts (产成品入库单) at the last operation, " + what;
    return "operation reports and inspections (工序汇报, 检验单) of " + what;
  }
  if (d.table == "sfc_optransformdetail") {
    auto r = FirstRow(connection, "select h.DocCode from sfc_optransformdetail t join sfc_optransform h "
                                  "on h.OpTransId = t.OpTransId where t.OpMdId = " + key);
    return "operation move " + (r.empty() ? "line " + key : r[0] + " line " + key);
  }
  if (d.table == "mps_netdemand") {
    auto r = FirstRow(connection, "select SoType, SoDId from mps_netdemand where DemandId = " + key);
    const std::string line = r.empty() ? "" : (r[0] == "1" ? " of sales order line " : " of external order line ") + r[1];
    return "orders generated" + line + " (net demand " + key + ")";
  }
  return d.table + " " + key;
}

}  // namespace

std::string VersionToken(int64_t version) {
  std::string token = ado::sqlite::MoneyText(version);
  while (!token.empty() && token.back() == ' ') token.pop_back();
  return token;
}

std::vector<JournalEntry> ReadJournal(ado::Connection& connection, const JournalSelection& selection) {
  RequireQuantityJournal(connection);
  std::string where;
  for (const auto& [table, keys] : SelectedRows(connection, selection)) {
    if (keys.empty()) continue;
    where += std::string(where.empty() ? "" : " or ") + "(TableName = '" + table + "' and RowKey in (" + IdList(keys) +
             "))";
  }
  std::vector<JournalEntry> entries;
  if (where.empty()) return entries;
  std::map<CounterKey, double> totals;
  for (const auto& r : Rows(connection, std::string(kEntryColumns) + " where " + where + " order by JournalId")) {
    JournalEntry e = EntryOf(r);
    auto [it, first] = totals.try_emplace(KeyOf(e), e.before.value_or(0));
    it->second = com::RoundHalfEven(it->second + e.change, 6);
    e.total = it->second;
    entries.push_back(std::move(e));
  }
  return entries;
}

VerifyReport VerifyJournal(ado::Connection& connection) {
  RequireQuantityJournal(connection);
  VerifyReport report;
  struct Replay {
    double value = 0;
    CounterDrift drift;
  };
  std::map<CounterKey, Replay> replays;
  std::set<std::string> tables;
  for (const auto& r : Rows(connection, std::string(kEntryColumns) + " order by JournalId")) {
    const JournalEntry e = EntryOf(r);
    ++report.entries;
    auto [it, first] = replays.try_emplace(KeyOf(e));
    Replay& replay = it->second;
    if (first) {
      replay.value = e.before.value_or(0);
      replay.drift.table = ado::AsciiLower(e.table);
      replay.drift.row = e.row;
      replay.drift.column = e.column;
      tables.insert(replay.drift.table);
    } else if (e.before && !Same(*e.before, replay.value) && !replay.drift.break_at) {
      replay.drift.break_at = e.id;
      replay.drift.break_expected = replay.value;
      replay.drift.break_found = *e.before;
    }
    replay.value = e.after;
    ++replay.drift.entries;
    replay.drift.last_changed_at = e.changed_at;
    replay.drift.last_procedure = e.procedure;
  }

  // What the rows hold now, table by table.
  std::map<CounterKey, double> current;
  for (const JournalledTable& t : kJournalledTables) {
    if (!tables.count(t.table)) continue;
    std::string sql = std::string("select ") + t.key;
    for (const char* c : t.columns) sql += std::string(", ") + c;
    for (const auto& r : Rows(connection, sql + " from " + t.table))
      for (size_t i = 0; i < t.columns.size(); ++i)
        current[{t.table, r[0].ToI8(), ado::AsciiLower(t.columns[i])}] = r[i + 1].is_null() ? 0 : r[i + 1].ToR8();
  }

  for (auto& [key, replay] : replays) {
    auto it = current.find(key);
    if (it == current.end()) continue;  // the row is gone, or not a counter this version knows
    ++report.counters;
    CounterDrift& d = replay.drift;
    d.journal_value = replay.value;
    d.current_value = it->second;
    if (Same(d.journal_value, d.current_value) && !d.break_at) continue;
    d.documents = Documents(connection, d);
    report.drifts.push_back(std::move(d));
  }
  return report;
}

}  // namespace database
