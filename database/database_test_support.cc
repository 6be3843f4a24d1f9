#include "database/database_test_support.h"

#include <stdexcept>
#include <utility>

#include "platform/ado/field.h"
#include "platform/ado/recordset.h"
#include "platform/ado/text.h"
#include "platform/com/date.h"

namespace database_testing {

namespace {
struct Statement {
  sqlite3_stmt* stmt = nullptr;
  ~Statement() { sqlite3_finalize(stmt); }
};
}  // namespace

SqliteFile::SqliteFile(const std::string& path) {
  if (sqlite3_open_v2(path.c_str(), &db_, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK) {
    std::string message = db_ ? sqlite3_errmsg(db_) : "out of memory";
    sqlite3_close(db_);
    throw std::runtime_error("cannot open " + path + ": " + message);
  }
  sqlite3_busy_timeout(db_, 5000);
}

SqliteFile::~SqliteFile() { sqlite3_close(db_); }

void SqliteFile::Exec(const std::string& sql) {
  char* message = nullptr;
  if (sqlite3_exec(db_, sql.c_str(), nullptr, nullptr, &message) != SQLITE_OK) {
    std::string text = message ? message : sqlite3_errmsg(db_);
    sqlite3_free(message);
    throw std::runtime_error(text + " in: " + sql);
  }
}

std::vector<std::vector<std::string>> SqliteFile::Rows(const std::string& sql) {
  Statement s;
  if (sqlite3_prepare_v2(db_, sql.c_str(), -1, &s.stmt, nullptr) != SQLITE_OK)
    throw std::runtime_error(std::string(sqlite3_errmsg(db_)) + " in: " + sql);
  std::vector<std::vector<std::string>> rows;
  int rc;
  while ((rc = sqlite3_step(s.stmt)) == SQLITE_ROW) {
    std::vector<std::string>& row = rows.emplace_back();
    for (int i = 0; i < sqlite3_column_count(s.stmt); ++i) {
      const unsigned char* text = sqlite3_column_text(s.stmt, i);
      row.emplace_back(text ? reinterpret_cast<const char*>(text) : "NULL");
    }
  }
  if (rc != SQLITE_DONE) throw std::runtime_error(std::string(sqlite3_errmsg(db_)) + " in: " + sql);
  return rows;
}

std::string SqliteFile::Text(const std::string& sql) {
  auto rows = Rows(sql);
  if (rows.empty() || rows[0].empty()) throw std::runtime_error("no row from: " + sql);
  return rows[0][0];
}

int64_t SqliteFile::Int(const std::string& sql) { return std::stoll(Text(sql)); }

double SqliteFile::Real(const std::string& sql) { return std::stod(Text(sql)); }

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
