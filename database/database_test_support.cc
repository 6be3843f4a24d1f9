#include "database/database_test_support.h"

#include <stdexcept>
#include <utility>

#include "platform/ado/field.h"
#include "platform/ado/recordset.h"
#include "platform/ado/text.h"
#include "platform/com/date.h"

namespace database_testing {

DirectConnection::DirectConnection(const std::string& connection_string) : connection_(ado::Connection::Create()) {
  connection_->Open(connection_string);
}

DirectConnection::DirectConnection(com::Ptr<ado::Connection> connection) : connection_(std::move(connection)) {}

void DirectConnection::Exec(const std::string& sql) { connection_->Execute(sql); }

namespace {
std::string Canonical(const com::Variant& v) {
  if (v.is_null()) return "NULL";
  switch (v.type()) {
    case com::VarType::Date: {
      com::CivilTime t = com::CivilFromDate(v.ToDate());
      char text[32];
      std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d", t.year, t.month, t.day, t.hour, t.minute,
                    t.second);
      return text;
    }
    case com::VarType::R8: return com::FormatDouble(v.ToR8());
    case com::VarType::Bool: return v.ToBool() ? "1" : "0";
    default: return v.ToString();
  }
}
}  // namespace

std::vector<std::vector<std::string>> DirectConnection::Rows(const std::string& sql) {
  com::Ptr<ado::Recordset> rs = ado::Recordset::Create();
  rs->SetCursorLocation(ado::adUseClient);
  rs->Open(sql, connection_.get());
  std::vector<std::vector<std::string>> rows;
  for (; !rs->Eof(); rs->MoveNext()) {
    std::vector<std::string>& row = rows.emplace_back();
    for (int32_t i = 0; i < rs->fields().Count(); ++i) row.push_back(Canonical(rs->fields().Item(i).Value()));
  }
  return rows;
}

std::map<std::string, std::string> DirectConnection::NamedRow(const std::string& sql) {
  com::Ptr<ado::Recordset> rs = ado::Recordset::Create();
  rs->SetCursorLocation(ado::adUseClient);
  rs->Open(sql, connection_.get());
  std::map<std::string, std::string> row;
  if (rs->Eof()) return row;
  for (int32_t i = 0; i < rs->fields().Count(); ++i)
    row[ado::AsciiLower(rs->fields().Item(i).Name())] = Canonical(rs->fields().Item(i).Value());
  return row;
}

std::string DirectConnection::Text(const std::string& sql) {
  auto rows = Rows(sql);
  if (rows.empty() || rows[0].empty()) throw std::runtime_error("no row from: " + sql);
  return rows[0][0];
}

int64_t DirectConnection::Int(const std::string& sql) { return std::stoll(Text(sql)); }

double DirectConnection::Real(const std::string& sql) { return std::stod(Text(sql)); }

int64_t DirectConnection::Counter() {
  return Int("select value from sys_rowversion");
}

}  // namespace database_testing
