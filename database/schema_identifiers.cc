#include "database/schema_identifiers.h"

#include <sqlite3.h>

#include <memory>
#include <set>
#include <stdexcept>

#include "database/manufacturing_db.h"

namespace database {
namespace {

struct SqliteCloser {
  void operator()(sqlite3* db) const { sqlite3_close(db); }
};
struct StatementFinalizer {
  void operator()(sqlite3_stmt* s) const { sqlite3_finalize(s); }
};
using SqliteHandle = std::unique_ptr<sqlite3, SqliteCloser>;
using StatementHandle = std::unique_ptr<sqlite3_stmt, StatementFinalizer>;

StatementHandle Prepare(sqlite3* db, const std::string& sql) {
  sqlite3_stmt* raw = nullptr;
  if (sqlite3_prepare_v2(db, sql.c_str(), -1, &raw, nullptr) != SQLITE_OK)
    throw std::runtime_error(std::string("读取表结构失败: ") + sqlite3_errmsg(db));
  return StatementHandle(raw);
}

// The text of column `column` of every row.
std::vector<std::string> Column(sqlite3* db, const std::string& sql, int column) {
  StatementHandle statement = Prepare(db, sql);
  std::vector<std::string> values;
  while (sqlite3_step(statement.get()) == SQLITE_ROW)
    values.emplace_back(reinterpret_cast<const char*>(sqlite3_column_text(statement.get(), column)));
  return values;
}

std::string QuoteIdentifier(const std::string& name) {
  std::string out = "\"";
  for (char c : name) out += c == '"' ? std::string("\"\"") : std::string(1, c);
  return out + "\"";
}

}  // namespace

std::vector<std::string> SchemaColumnNames() {
  sqlite3* raw = nullptr;
  int rc = sqlite3_open_v2(":memory:", &raw, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
  SqliteHandle db(raw);
  if (rc != SQLITE_OK) throw std::runtime_error("无法打开内存数据库");
  char* message = nullptr;
  if (sqlite3_exec(db.get(), SchemaSql(), nullptr, nullptr, &message) != SQLITE_OK) {
    std::string text = std::string("建表失败: ") + (message ? message : sqlite3_errmsg(db.get()));
    sqlite3_free(message);
    throw std::runtime_error(text);
  }
  std::set<std::string> names;
  for (const std::string& table :
       Column(db.get(), "SELECT name FROM sqlite_master WHERE type = 'table' ORDER BY name", 0))
    for (std::string& column : Column(db.get(), "PRAGMA table_info(" + QuoteIdentifier(table) + ")", 1))
      names.insert(std::move(column));
  return {names.begin(), names.end()};
}

}  // namespace database
