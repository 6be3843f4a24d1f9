#pragma once
// The database a test runs against. One test program serves both providers: the run's
// environment picks one (MOM_TEST_PROVIDER=PostgreSQL with MOM_TEST_PG naming the
// server, SQLite otherwise), and every test gets a fresh database of its own.
//
// PostgreSQL databases are copied from a template built once per server and contents
// (schema, procedures and sample), which keeps a fresh database per test cheap.

#include <string>

#include "testing/test_support.h"

namespace testing_support {

class TestDatabase {
 public:
  enum class Kind { kSqlite, kPostgres };
  // Creates the database in `dir` (SQLite) or on the run's server (PostgreSQL).
  TestDatabase(const TempDir& dir, bool with_sample = true);
  // The same with the provider chosen by the test (one SQLite database per `dir`).
  TestDatabase(const TempDir& dir, Kind kind, bool with_sample = true);
  ~TestDatabase();
  TestDatabase(const TestDatabase&) = delete;
  TestDatabase& operator=(const TestDatabase&) = delete;

  const std::string& connection_string() const { return connection_string_; }
  // What `mom` and other tools take as their database argument: a path or a
  // connection string.
  const std::string& target() const { return target_; }

  // Whether this run is for PostgreSQL.
  static bool IsPostgres();
  // Empty when the run's provider can be used; else why not (the test should skip).
  static std::string Unavailable();
  // The same for a provider of the test's choosing.
  static std::string Unavailable(Kind kind);
  // The provider's name as connection strings spell it.
  static std::string Provider();

 private:
  std::string connection_string_;
  std::string target_;
  std::string server_database_;  // PostgreSQL: the database to drop
};

// A database name on the run's PostgreSQL server that nothing has created yet, for
// tests of the tools that create databases; dropped, if something did, on destruction.
class ServerDatabaseSlot {
 public:
  ServerDatabaseSlot();
  ~ServerDatabaseSlot();
  ServerDatabaseSlot(const ServerDatabaseSlot&) = delete;
  ServerDatabaseSlot& operator=(const ServerDatabaseSlot&) = delete;

  const std::string& connection_string() const { return connection_string_; }

 private:
  std::string name_;
  std::string connection_string_;
};

}  // namespace testing_support
