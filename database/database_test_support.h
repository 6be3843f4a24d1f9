#pragma once
// Direct access to a database file for the tests, beside the connection under test.

#include <sqlite3.h>

#include <cstdint>
#include <string>
#include <vector>

namespace database_testing {

class SqliteFile {
 public:
  explicit SqliteFile(const std::string& path);
  ~SqliteFile();
  SqliteFile(const SqliteFile&) = delete;
  SqliteFile& operator=(const SqliteFile&) = delete;

  void Exec(const std::string& sql);
  // Every row, each value as text ("NULL" for null).
  std::vector<std::vector<std::string>> Rows(const std::string& sql);
  // The first value of the only row; throws when there is no row.
  std::string Text(const std::string& sql);
  int64_t Int(const std::string& sql);
  double Real(const std::string& sql);

  int64_t Counter() { return Int("SELECT value FROM sys_rowversion"); }

 private:
  sqlite3* db_ = nullptr;
};

}  // namespace database_testing
