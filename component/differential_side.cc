#include "component/differential_side.h"

#include <algorithm>
#include <cmath>
#include <set>

#include "platform/ado/recordset.h"
#include "platform/com/creation.h"
#include "platform/com/date.h"
#include "platform/com/error.h"
#include "platform/com/late_binding.h"
#include "suite/demand_lines.h"

namespace differential {

namespace {

// Tables whose rows the component creates: their keys are numbered by each database
// in its own way (a server's identity does not go back when a transaction is rolled
// back), so keys and references to them are compared by their place.
const char* const kGeneratedTables[] = {"mom_order", "mom_orderdetail", "mom_moallocate"};
// References that the schema does not declare.
const struct {
  const char* table;
  const char* column;
  const char* target;
} kUndeclaredReferences[] = {{"ex_orderdetail", "MoDId", "mom_orderdetail"}};

// The quantity journal: when, who and the row versions differ between the databases
// by nature (and the server's identity does not go back with a rollback); which
// counter changed, how and by what does not. Its RowKey refers to the table it names.
constexpr char kJournalTable[] = "sys_qtyjournal";
bool IsJournalStamp(const std::string& column) {
  for (const char* c : {"JournalId", "ChangedAt", "SessionUser", "AppName", "KrtsBefore", "KrtsAfter"})
    if (column == c) return true;
  return false;
}

bool IsGenerated(const std::string& table) {
  return std::any_of(std::begin(kGeneratedTables), std::end(kGeneratedTables),
                     [&](const char* t) { return table == t; });
}

std::string TrimRight(std::string s) {
  while (!s.empty() && s.back() == ' ') s.pop_back();
  return s;
}

// A value as both databases must agree on it. Flags and numbers alike as numbers
// (the embedded database keeps flags as 0 and 1), text without the blanks a fixed
// width pads it with, and dates of today, which only the server's clock decides, as
// "now".
std::string Render(const com::Variant& value) {
  const com::Variant& v = value.Deref();
  switch (v.type()) {
    case com::VarType::Empty: return "empty";
    case com::VarType::Null: return "null";
    case com::VarType::Bool: return v.ToBool() ? "1" : "0";
    case com::VarType::I2:
    case com::VarType::I4:
    case com::VarType::I8:
    case com::VarType::UI1: return std::to_string(v.ToI8());
    case com::VarType::R8:
    case com::VarType::Currency: return Number(v.ToR8());
    case com::VarType::Date: {
      com::Date d = v.ToDate();
      if (std::fabs(d.days - com::Now().days) < 2) return "<now>";
      return com::FormatDateTime(d);
    }
    case com::VarType::String: return "'" + TrimRight(v.ToString()) + "'";
    case com::VarType::Dispatch:
    case com::VarType::Unknown: return v.ToUnknown() ? "object" : "nothing";
    default: return "?";
  }
}

// Fields of the component's lists that hold a generated key, with its table.
const struct {
  const char* field;
  const char* table;
  const char* key;
} kGeneratedFields[] = {{"MoId", "mom_order", "MoId"},
                        {"MoDId", "mom_orderdetail", "MoDId"},
                        {"DemSourceId", "mom_orderdetail", "MoDId"},
                        {"MoAllocateId", "mom_moallocate", "AllocateId"}};

const char* TableName(Table t) {
  switch (t) {
    case Table::kOrderLine: return "mom_orderdetail";
    case Table::kAllocation: return "mom_moallocate";
    case Table::kRoutingLine: return "sfc_moroutingdetail";
    case Table::kMoveLine: return "sfc_optransformdetail";
  }
  return "";
}

const char* KeyName(Table t) {
  switch (t) {
    case Table::kOrderLine: return "MoDId";
    case Table::kAllocation: return "AllocateId";
    case Table::kRoutingLine: return "MoRoutingDId";
    case Table::kMoveLine: return "OpMdId";
  }
  return "";
}

com::Variant Ref(com::Variant& v) { return com::Variant::Ref(&v); }

}  // namespace

// A recordset's fields and rows; tokens (whose numbers differ) only as present, and
// generated keys by their place.
std::string Side::RenderRecordset(ado::Recordset& rs) {
  if (rs.State() != ado::adStateOpen) return "closed";
  std::string out = "fields";
  for (int32_t i = 0; i < rs.fields().Count(); ++i) out += " " + rs.fields().Item(i).Name();
  out += " edit " + std::to_string(rs.EditMode());
  if (rs.RecordCount() == 0) return out;
  for (rs.MoveFirst(); !rs.Eof(); rs.MoveNext()) {
    out += "\n  ";
    for (int32_t i = 0; i < rs.fields().Count(); ++i) {
      ado::Field& f = rs.fields().Item(i);
      com::Variant v = f.Value();
      std::string text = Render(v);
      if (f.Name() == "Krts" && !v.is_null()) text = "<token>";
      for (const auto& g : kGeneratedFields)
        if (f.Name() == g.field && !v.is_null()) text = Place(g.table, g.key, v.ToI8());
      out += (i ? " " : "") + f.Name() + "=" + text;
    }
  }
  return out;
}

std::string Side::Place(const char* table, const char* key, int64_t id) {
  com::Ptr<ado::Recordset> rs = ado::Recordset::Create();
  rs->SetCursorLocation(ado::adUseClient);
  rs->Open(std::string("select count(*) as n from ") + table + " where " + key + " <= " + std::to_string(id) +
               " and exists (select 1 from " + table + " where " + key + " = " + std::to_string(id) + ")",
           conn_.get());
  const int64_t n = (*rs)["n"].Value().ToI8();
  return n ? "#" + std::to_string(n) : "#? " + std::to_string(id);
}

std::string Side::RenderArgument(const com::Variant& v) {
  if (v.is_object()) {
    com::Ptr<ado::Recordset> rs = v.ToObject<ado::Recordset>();
    if (rs) return RenderRecordset(*rs);
  }
  return Render(v);
}

std::vector<TableShape> ReadShapes(ado::Connection& sqlite) {
  std::vector<TableShape> shapes;
  com::Ptr<ado::Recordset> tables = sqlite.Execute(
      "select name from sqlite_master where type = 'table' and name not like 'sqlite%' "
      "and name <> 'sys_rowversion' order by name");
  for (; !tables->Eof(); tables->MoveNext()) {
    TableShape shape;
    shape.name = (*tables)["name"].Value().ToString();
    int keys = 0;
    com::Ptr<ado::Recordset> columns =
        sqlite.Execute("select name, pk from pragma_table_info('" + shape.name + "') order by cid");
    for (; !columns->Eof(); columns->MoveNext()) {
      shape.columns.push_back((*columns)["name"].Value().ToString());
      if ((*columns)["pk"].Value().ToI4() > 0) {
        ++keys;
        shape.key = shape.columns.back();
      }
    }
    if (keys != 1) shape.key.clear();
    com::Ptr<ado::Recordset> references =
        sqlite.Execute("select \"table\" as target, \"from\" as source from pragma_foreign_key_list('" + shape.name +
                       "')");
    for (; !references->Eof(); references->MoveNext()) {
      std::string target = (*references)["target"].Value().ToString();
      if (IsGenerated(target)) shape.references[(*references)["source"].Value().ToString()] = target;
    }
    for (const auto& r : kUndeclaredReferences)
      if (shape.name == r.table) shape.references[r.column] = r.target;
    shapes.push_back(std::move(shape));
  }
  return shapes;
}

Side::Side(std::string connection_string) : connection_string_(std::move(connection_string)) {
  conn_ = ado::Connection::Create();
  conn_->Open(connection_string_);
  mom_ = com::CreateObject("KRZ7DEVUZIda.clsMOM");
  login_ = com::CreateObject("MomSuite.Login");
  com::PutProperty(login_.get(), "KrDbName", connection_string_);
  com::PutProperty(login_.get(), "cUserId", "demo");
  com::PutProperty(login_.get(), "cAcc_Id", "001");
}

Side::~Side() = default;

int32_t Side::Resolve(const RowPick& pick) {
  if (pick.missing) return pick.missing_id;
  const std::string key = KeyName(pick.table);
  com::Ptr<ado::Recordset> rs = ado::Recordset::Create();
  rs->SetCursorLocation(ado::adUseClient);
  rs->Open("select " + key + " from " + TableName(pick.table) + " order by " + key, conn_.get());
  if (rs->RecordCount() == 0) return 999999;
  rs->Move(static_cast<int32_t>(pick.place % static_cast<uint32_t>(rs->RecordCount())));
  return (*rs)[key].Value().ToI4();
}

std::string Side::TokenOf(const RowPick& pick) {
  com::Ptr<ado::Recordset> rs = ado::Recordset::Create();
  rs->SetCursorLocation(ado::adUseClient);
  rs->Open(std::string("select convert(char,convert(money,Krts),2) as Krts from ") + TableName(pick.table) +
               " where " + KeyName(pick.table) + " = " + std::to_string(Resolve(pick)),
           conn_.get());
  return rs->Eof() ? std::string() : (*rs)["Krts"].Value().ToString();
}

std::string Side::Token(const Call& call) {
  switch (call.token) {
    case TokenChoice::kFresh: return TokenOf(call.row);
    case TokenChoice::kStale: return TokenOf(call.second);
    case TokenChoice::kBlank: return "   ";
    default: return "";
  }
}

com::Variant Side::ConnectionArgument() const {
  return com::Variant(com::Ptr<com::IUnknown>(static_cast<com::IUnknown*>(conn_.get())));
}

std::string Side::Invoke(const char* name, std::vector<com::Variant>& storage, const std::vector<size_t>& written) {
  std::vector<com::Variant> args;
  for (com::Variant& v : storage) args.push_back(v.is_missing() ? v : Ref(v));
  std::string out;
  try {
    out = "result " + Render(com::CallByName(mom_.get(), name, args));
  } catch (const com::Error& e) {
    out = "error " + std::to_string(e.number()) + " " + e.description();
  }
  for (size_t i : written) out += " | " + RenderArgument(storage[i]);
  return out;
}

std::string Side::Run(const Call& call) {
  if (call.operation == Operation::kChangeData) return ChangeData(call);
  if (call.operation == Operation::kPushMoFromSo) return Generate(call);

  const bool own_connection =
      call.operation == Operation::kSTPullfromMORM || call.operation == Operation::kSTPullfromMORP;
  if (!own_connection && call.transaction != Transaction::kNone) conn_->BeginTrans();

  const com::Variant qty(call.quantity), bus(call.bus_type), flag(call.flag), err(call.err_in);
  const com::Variant date = call.cur_date == 0   ? com::Variant::Missing()
                            : call.cur_date == 1 ? com::Variant(com::Date{0})
                                                 : com::Variant(com::DateFromCivil({2024, 3, 8, 0, 0, 0}));
  const com::Variant check =
      call.check == Optional::kOmitted ? com::Variant::Missing() : com::Variant(call.check == Optional::kTrue);
  const com::Variant token = call.token == TokenChoice::kOmitted ? com::Variant::Missing() : com::Variant(Token(call));
  const com::Variant required_token(token.is_missing() ? std::string() : token.ToString());
  const com::Variant row(Resolve(call.row));
  std::vector<com::Variant> a;
  std::string out;
  switch (call.operation) {
    case Operation::kOpMoveQtyWrB:
      a = {row, qty, bus, ConnectionArgument(), required_token, err};
      out = Invoke("OpMoveQtyWrB", a, {5});
      break;
    case Operation::kMoRoutingWrB:
      a = {row, qty, ConnectionArgument(), err, token};
      out = Invoke("MoRoutingWrB", a, {3});
      break;
    case Operation::kMoInQtyWrB:
      a = {row, qty, bus, ConnectionArgument(), required_token, err, date, check};
      out = Invoke("MoInQtyWrB", a, {5});
      break;
    case Operation::kMORMOutQtyWrB:
      a = {row, qty, bus, flag, ConnectionArgument(), err, token};
      out = Invoke("MORMOutQtyWrB", a, {5});
      break;
    case Operation::kMoQtyWrB:
      a = {row, flag, qty, bus, ConnectionArgument(), err, required_token, date, check};
      out = Invoke("MoQtyWrB", a, {5});
      break;
    case Operation::kMoQtyWrBfromQc:
      a = {row, com::Variant(Resolve(call.second)), qty, bus, ConnectionArgument(), err, check};
      out = Invoke("MoQtyWrBfromQc", a, {5});
      break;
    case Operation::kSTPullfromMORM:
    case Operation::kSTPullfromMORP:
      a = {com::Variant(login_), row, qty, com::Variant(42.5), err};
      out = Invoke(call.operation == Operation::kSTPullfromMORM ? "STPullfromMORM" : "STPullfromMORP", a, {3, 4});
      break;
    case Operation::kGetBFRds:
      a = {ConnectionArgument(), row, qty, com::Variant(com::Ptr<com::IUnknown>()), flag, err};
      out = Invoke("GetBFRds", a, {3, 5});
      break;
    default: break;
  }

  if (conn_->session().InTransaction() && !own_connection && call.transaction != Transaction::kNone) {
    try {
      if (call.transaction == Transaction::kCommit)
        conn_->CommitTrans();
      else
        conn_->RollbackTrans();
    } catch (const com::Error& e) {
      out += " | settling: " + e.description();
    }
  }
  return out;
}

std::string Side::Generate(const Call& call) {
  com::Ptr<ado::Recordset> lines = call.external_lines ? suite::ExternalDemandLines(conn_.get(), call.orders)
                                                       : suite::SalesDemandLines(conn_.get(), call.orders);
  const int32_t count = lines->RecordCount();
  for (const LineChange& change : call.changes) {
    if (count == 0) break;
    lines->MoveFirst();
    lines->Move(static_cast<int32_t>(change.place % static_cast<uint32_t>(count)));
    if (change.set_quantity) (*lines)["iquantity"].SetValue(com::Variant(change.quantity));
    if (change.unknown_item) (*lines)["cinvCode"].SetValue(com::Variant("NOPE"));
  }
  if (count > 0) lines->MoveFirst();
  std::vector<com::Variant> a;
  a.emplace_back(login_);
  a.emplace_back(std::string("unchanged"));
  a.emplace_back(com::Ptr<com::IUnknown>(static_cast<com::IUnknown*>(lines.get())));
  a.emplace_back(call.err_in);
  if (call.from != "<omitted>") a.push_back(com::Variant(call.from));
  return "lines " + std::to_string(count) + " | " + Invoke("PushMoFromSo", a, {1, 3});
}

std::string Side::ChangeData(const Call& call) {
  static const char* const kStatements[] = {
      "update mom_orderdetail set Status = %v where MoDId = %k",
      "update mom_orderdetail set SfcFlag = %v where MoDId = %k",
      "update mom_moallocate set DeleteFlag = %v where AllocateId = %k",
      "update AccInformation set cValue = %v where cSysId = 'AA' and cName = 'iStrsQuanDecDgt'",
      "update mom_moallocate set BaseQtyN = %v where AllocateId = %k",
      "update sfc_moroutingdetail set LastFlag = %v where MoRoutingDId = %k",
  };
  std::string sql = kStatements[call.change];
  sql.replace(sql.find("%v"), 2, call.change_value);
  if (size_t k = sql.find("%k"); k != std::string::npos) sql.replace(k, 2, std::to_string(Resolve(call.row)));
  int64_t affected = 0;
  try {
    conn_->Execute(sql, &affected);
  } catch (const com::Error& e) {
    return "error " + e.description();
  }
  return "changed " + std::to_string(affected);
}

std::map<std::string, std::string> Side::Contents(const std::vector<TableShape>& shapes) {
  struct Loaded {
    const TableShape* shape;
    std::vector<std::vector<com::Variant>> rows;
  };
  std::vector<Loaded> loaded;
  std::map<std::string, std::map<int64_t, size_t>> places;  // generated table -> key -> place
  std::set<int64_t> versions;
  for (const TableShape& shape : shapes) {
    std::string sql = "select ";
    for (size_t i = 0; i < shape.columns.size(); ++i) sql += (i ? ", " : "") + shape.columns[i];
    sql += " from " + shape.name;
    // The journal's rows by counter: where the component's own statements read rows in
    // no set order (the last operations of a line), the two databases write the same
    // changes to different counters in a different order, each counter's in the same.
    if (shape.name == kJournalTable)
      sql += " order by TableName, RowKey, ColumnName, JournalId";
    else if (!shape.key.empty())
      sql += " order by " + shape.key;
    com::Ptr<ado::Recordset> rs = ado::Recordset::Create();
    rs->SetCursorLocation(ado::adUseClient);
    rs->Open(sql, conn_.get());
    Loaded table{&shape, {}};
    if (rs->RecordCount() > 0) {
      for (rs->MoveFirst(); !rs->Eof(); rs->MoveNext()) {
        std::vector<com::Variant> row;
        for (int32_t i = 0; i < rs->fields().Count(); ++i) row.push_back(rs->fields().Item(i).Value());
        table.rows.push_back(std::move(row));
      }
    }
    for (size_t c = 0; c < shape.columns.size(); ++c) {
      for (const auto& row : table.rows) {
        if (row[c].is_null()) continue;
        if (shape.columns[c] == "Krts") versions.insert(row[c].ToI8());
        if (shape.columns[c] == shape.key && IsGenerated(shape.name)) {
          auto& map = places[shape.name];
          map.emplace(row[c].ToI8(), map.size() + 1);
        }
      }
    }
    loaded.push_back(std::move(table));
  }
  std::map<int64_t, size_t> version_places;
  for (int64_t v : versions) version_places.emplace(v, version_places.size() + 1);

  std::map<std::string, std::string> out;
  for (const Loaded& table : loaded) {
    const TableShape& shape = *table.shape;
    std::vector<std::string> lines;
    const bool journal = shape.name == kJournalTable;
    const auto journal_table = std::find(shape.columns.begin(), shape.columns.end(), "TableName");
    for (const auto& row : table.rows) {
      std::string line;
      for (size_t c = 0; c < shape.columns.size(); ++c) {
        const std::string& column = shape.columns[c];
        if (journal && IsJournalStamp(column)) continue;
        std::string text = Render(row[c]);
        if (!row[c].is_null()) {
          const std::string* target = nullptr;
          std::string journal_target;
          if (journal && column == "RowKey" && journal_table != shape.columns.end()) {
            journal_target = row[static_cast<size_t>(journal_table - shape.columns.begin())].ToString();
            if (IsGenerated(journal_target)) target = &journal_target;
          }
          if (column == shape.key && IsGenerated(shape.name)) target = &shape.name;
          if (auto it = shape.references.find(column); it != shape.references.end()) target = &it->second;
          if (column == "Krts") text = "v" + std::to_string(version_places[row[c].ToI8()]);
          if (target) {
            auto& map = places[*target];
            auto it = map.find(row[c].ToI8());
            text = it == map.end() ? "#? " + text : "#" + std::to_string(it->second);
          }
        }
        line += (c ? " " : "") + column + "=" + text;
      }
      lines.push_back(std::move(line));
    }
    if (shape.key.empty()) std::sort(lines.begin(), lines.end());
    std::string text;
    for (const std::string& l : lines) text += l + "\n";
    out[shape.name] = text;
  }
  return out;
}

}  // namespace differential
