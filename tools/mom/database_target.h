#pragma once
// The DB argument of the console: a connection string ("Key=Value;...") or a file
// path meaning the embedded provider.

#include <string>

namespace mom_console {

struct DatabaseTarget {
  std::string connection_string;
  std::string file_path;  // for the embedded provider; empty otherwise
};

// Resolves DB for a command that needs an existing database: a path that does not
// exist is a usage error, never a new empty database.
DatabaseTarget ExistingDatabase(const std::string& db);
// Resolves DB for `init`: the file that is to be created.
std::string DatabaseFileToCreate(const std::string& db);

}  // namespace mom_console
