#pragma once
// What a path holds before SQLite is let at it: opening must never write to a file
// that is not a database, and a database that cannot be written is opened for reading.

#include <string>

namespace ado::sqlite {

struct DatabaseFile {
  enum class Kind {
    kMissing,   // nothing at the path
    kEmpty,     // a file of no bytes, which SQLite would take for an empty database
    kDatabase,  // a file that starts with the SQLite header
    kOther,     // anything else: never opened
  };
  Kind kind = Kind::kMissing;
  bool writable = false;         // the file may be written by this process
  bool folder_writable = false;  // its folder takes new files (journals, the WAL and its index)
};

DatabaseFile InspectDatabaseFile(const std::string& path);

// A URI that opens `path` for reading only, promising SQLite that nobody changes the
// file meanwhile (nothing is then created beside it, and no lock is taken).
std::string ImmutableUri(const std::string& path);

}  // namespace ado::sqlite
