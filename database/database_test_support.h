#pragma once
// Direct access to a test database, beside the connection under test: a second
// connection of the run's provider for checks that hold on both. For what only the
// embedded database has, testing/sqlite_file.h opens the file itself.

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "platform/ado/connection.h"
#include "testing/sqlite_file.h"

namespace database_testing {

using testing_support::SqliteFile;

// A connection of its own to the database; values come back as text ("NULL" for
// null), numbers and dates in their canonical form, so rows can be compared.
class DirectConnection {
 public:
  explicit DirectConnection(const std::string& connection_string);
  // Reads through `connection`, inside whatever transaction it has open.
  explicit DirectConnection(com::Ptr<ado::Connection> connection);

  void Exec(const std::string& sql);
  std::vector<std::vector<std::string>> Rows(const std::string& sql);
  // The only row's values by lower-cased column name; empty when there is no row.
  std::map<std::string, std::string> NamedRow(const std::string& sql);
  std::string Text(const std::string& sql);
  int64_t Int(const std::string& sql);
  double Real(const std::string& sql);
  // The last row version handed out.
  int64_t Counter();

 private:
  com::Ptr<ado::Connection> connection_;
};

}  // namespace database_testing
