#pragma once
// A raw SQLite handle on a test database file, apart from the data layer under test:
// for what only the embedded database has (triggers, PRAGMA checks, rowid) and to
// read values exactly as the file keeps them.

#include <cstdint>
#include <string>
#include <vector>

struct sqlite3;

namespace testing_support {

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
  ::sqlite3* db_ = nullptr;
};

}  // namespace testing_support
