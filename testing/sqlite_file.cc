#include "testing/sqlite_file.h"

#include <sqlite3.h>

#include <stdexcept>

namespace testing_support {

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

}  // namespace testing_support
