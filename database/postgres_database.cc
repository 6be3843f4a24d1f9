#include "database/postgres_database.h"

#include <array>
#include <string>

#include "database/idempotency_table.h"
#include "database/manufacturing_db.h"
#include "database/quantity_journal.h"
#include "database/schema_identifiers.h"
#include "platform/ado/connection.h"
#include "platform/ado/recordset.h"
#include "platform/ado/text.h"
#include "platform/com/error.h"

// Generated from postgres/*.sql.
const char* MomPostgresSchemaText();
const char* MomPostgresProceduresMoText();
const char* MomPostgresProceduresSfcText();
const char* MomPostgresProceduresBackflushText();
const char* MomPostgresProceduresMogenText();

namespace database {
namespace {

constexpr char kProviderName[] = "postgresql";
constexpr char kMaintenanceDatabase[] = "postgres";

std::string QuoteIdentifier(std::string_view name) {
  std::string out = "\"";
  for (char c : name) out += c == '"' ? std::string("\"\"") : std::string(1, c);
  return out + "\"";
}

// A connection-string value in double quotes, so that ';' and '=' in it are kept.
std::string QuoteConnectionValue(std::string_view value) {
  std::string out = "\"";
  for (char c : value) out += c == '"' ? std::string("\"\"") : std::string(1, c);
  return out + "\"";
}

std::string QuoteLiteral(std::string_view text) {
  std::string out = "'";
  for (char c : text) out += c == '\'' ? std::string("''") : std::string(1, c);
  return out + "'";
}

// The same server and login with another database; a later key wins when a
// connection string is read.
std::string WithDatabase(const ado::ConnectionString& target, std::string_view database) {
  std::string text = target.text();
  return text + ";Database=" + QuoteConnectionValue(database);
}

com::Ptr<ado::Connection> Connect(const std::string& connection_string) {
  com::Ptr<ado::Connection> connection = ado::Connection::Create();
  connection->Open(connection_string);
  return connection;
}

void Run(ado::Connection& connection, std::string_view sql) { connection.Execute(sql, nullptr, ado::adExecuteNoRecords); }

bool DatabaseExists(ado::Connection& server, const std::string& name) {
  com::Ptr<ado::Recordset> rs =
      server.Execute("SELECT 1 FROM pg_database WHERE datname = " + QuoteLiteral(name));
  return !rs->Eof();
}

std::string IdentifierInsert() {
  std::string sql = "INSERT INTO sys_identifier (name) VALUES ";
  bool first = true;
  for (const std::string& name : SchemaColumnNames()) {
    sql += (first ? "(" : ", (") + QuoteLiteral(name) + ")";
    first = false;
  }
  return sql;
}

// Loads everything into the new, empty database in one transaction.
void Populate(const std::string& connection_string, bool with_sample) {
  com::Ptr<ado::Connection> db = Connect(connection_string);
  db->BeginTrans();
  Run(*db, PostgresSchemaSql());
  for (const char* script : PostgresProcedureScripts()) Run(*db, script);
  Run(*db, IdentifierInsert());
  if (with_sample) {
    Run(*db, SampleSql());
    Run(*db, "SELECT mom_reset_identities()");
  }
  db->CommitTrans();
}

}  // namespace

bool IsPostgresTarget(std::string_view target) {
  if (target.find('=') == std::string_view::npos) return false;
  auto provider = ado::ConnectionString(target).Get("Provider");
  return provider && ado::AsciiLower(*provider) == kProviderName;
}

void CreatePostgresDatabase(const ado::ConnectionString& target, bool with_sample, bool overwrite) {
  const std::string name = target.GetOr("Database", "");
  if (name.empty()) throw com::Error(kErrNoDatabaseName, "连接字符串未指定数据库 (Database=): " + target.text());

  com::Ptr<ado::Connection> server = Connect(WithDatabase(target, kMaintenanceDatabase));
  if (overwrite)
    Run(*server, "DROP DATABASE IF EXISTS " + QuoteIdentifier(name) + " WITH (FORCE)");
  else if (DatabaseExists(*server, name))
    throw com::Error(kErrDatabaseExists, "数据库已存在: " + name);
  // Byte-order collation compares codes and versions as the embedded database does.
  // Two callers racing for the name are decided here: the server refuses the second.
  Run(*server, "CREATE DATABASE " + QuoteIdentifier(name) + " TEMPLATE template0 ENCODING 'UTF8' LOCALE 'C'");
  try {
    Populate(WithDatabase(target, name), with_sample);
  } catch (...) {
    Run(*server, "DROP DATABASE IF EXISTS " + QuoteIdentifier(name) + " WITH (FORCE)");
    throw;
  }
}

const char* PostgresSchemaSql() {
  static const std::string text =
      std::string(MomPostgresSchemaText()) + PostgresIdempotencyKeysSql() + PostgresQuantityJournalSql();
  return text.c_str();
}

std::array<const char*, 4> PostgresProcedureScripts() {
  return {MomPostgresProceduresSfcText(), MomPostgresProceduresMoText(), MomPostgresProceduresBackflushText(),
          MomPostgresProceduresMogenText()};
}

}  // namespace database
