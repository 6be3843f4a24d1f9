#include "testing/test_database.h"

#include <unistd.h>

#include <atomic>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <stdexcept>

#include "database/manufacturing_db.h"
#include "database/postgres_database.h"
#include "platform/ado/connection.h"
#include "platform/ado/connection_string.h"
#include "platform/ado/recordset.h"
#include "platform/ado/text.h"

namespace testing_support {

namespace {

std::string Env(const char* name) {
  const char* value = std::getenv(name);
  return value ? value : "";
}

std::string ServerString(const std::string& database) { return Env("MOM_TEST_PG") + ";Database=" + database; }

com::Ptr<ado::Connection> Maintenance() {
  com::Ptr<ado::Connection> c = ado::Connection::Create();
  c->Open(ServerString("postgres"));
  return c;
}

bool DatabaseExists(ado::Connection& c, const std::string& name) {
  com::Ptr<ado::Recordset> rs = c.Execute("select 1 from pg_database where datname = '" + name + "'");
  return !rs->Eof();
}

// A template per contents: a changed schema, sample or procedure set gets a new one,
// so a long-lived development server never hands out a stale copy.
std::string TemplateName(bool with_sample) {
  std::string contents = std::string(database::SchemaSql()) + database::SampleSql() + database::PostgresSchemaSql();
  for (const char* script : database::PostgresProcedureScripts()) contents += script;
  size_t h = std::hash<std::string>{}(contents);
  return "mom_template_" + std::to_string(h % 1000000007u) + (with_sample ? "_sample" : "_empty");
}

// Builds the template once per server; concurrent test programs wait for each other.
void EnsureTemplate(ado::Connection& c, const std::string& name, bool with_sample) {
  c.Execute("select pg_advisory_lock(7201)");
  struct Unlock {
    ado::Connection& c;
    ~Unlock() {
      try {
        c.Execute("select pg_advisory_unlock(7201)");
      } catch (...) {
      }
    }
  } unlock{c};
  if (DatabaseExists(c, name)) return;
  database::CreateDatabase(ServerString(name), with_sample, /*overwrite=*/true);
}

std::string UniqueDatabaseName() {
  static std::atomic<int> counter{0};
  return "mom_test_" + std::to_string(getpid()) + "_" + std::to_string(++counter);
}

void DropServerDatabase(const std::string& name) {
  try {
    Maintenance()->Execute("drop database if exists " + name + " with (force)");
  } catch (...) {
    // A database left behind on a throw-away test server costs nothing.
  }
}

}  // namespace

bool TestDatabase::IsPostgres() { return ado::EqualsIgnoreCase(Env("MOM_TEST_PROVIDER"), "PostgreSQL"); }

std::string TestDatabase::Provider() { return IsPostgres() ? "PostgreSQL" : "SQLite"; }

std::string TestDatabase::Unavailable() { return Unavailable(IsPostgres() ? Kind::kPostgres : Kind::kSqlite); }

std::string TestDatabase::Unavailable(Kind kind) {
  if (kind == Kind::kPostgres && Env("MOM_TEST_PG").empty())
    return "MOM_TEST_PG names no PostgreSQL server (scripts/pg_cluster.sh start DIR prints one)";
  return "";
}

TestDatabase::TestDatabase(const TempDir& dir, bool with_sample)
    : TestDatabase(dir, IsPostgres() ? Kind::kPostgres : Kind::kSqlite, with_sample) {}

TestDatabase::TestDatabase(const TempDir& dir, Kind kind, bool with_sample) {
  if (kind == Kind::kSqlite) {
    target_ = dir.File("mom.db");
    database::CreateDatabase(target_, with_sample, /*overwrite=*/false);
    connection_string_ = ado::ConnectionString::ForSqliteFile(target_);
    return;
  }
  if (!Unavailable(kind).empty()) throw std::runtime_error(Unavailable(kind));
  com::Ptr<ado::Connection> c = Maintenance();
  const std::string template_name = TemplateName(with_sample);
  EnsureTemplate(*c, template_name, with_sample);
  server_database_ = UniqueDatabaseName();
  c->Execute("drop database if exists " + server_database_ + " with (force)");
  c->Execute("create database " + server_database_ + " template " + template_name);
  connection_string_ = ServerString(server_database_);
  target_ = connection_string_;
}

TestDatabase::~TestDatabase() {
  if (server_database_.empty()) {
    std::error_code ec;
    for (const char* suffix : {"", "-wal", "-shm"}) std::filesystem::remove(target_ + suffix, ec);
    return;
  }
  DropServerDatabase(server_database_);
}

ServerDatabaseSlot::ServerDatabaseSlot()
    : name_(UniqueDatabaseName()), connection_string_(ServerString(name_)) {}

ServerDatabaseSlot::~ServerDatabaseSlot() { DropServerDatabase(name_); }

}  // namespace testing_support
