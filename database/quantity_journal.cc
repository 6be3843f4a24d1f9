#include "database/quantity_journal.h"

#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "database/idempotency_table.h"
#include "database/manufacturing_db.h"
#include "database/postgres_database.h"
#include "platform/ado/connection.h"
#include "platform/ado/connection_string.h"
#include "platform/ado/field.h"
#include "platform/ado/recordset.h"
#include "platform/com/error.h"

// Generated from quantity_journal.sql and postgres/quantity_journal.sql.
const char* MomQuantityJournalText();
const char* MomPostgresQuantityJournalText();

namespace database {
namespace {

// The journal's columns, for the server's record of their spellings.
constexpr const char* kJournalColumns[] = {"JournalId",  "ChangedAt", "SessionUser", "AppName",   "ProcName",
                                           "TypeCode",   "TableName", "RowKey",      "ColumnName", "QtyBefore",
                                           "QtyAfter",   "QtyChange", "KrtsBefore",  "KrtsAfter"};

int64_t Count(ado::Connection& connection, const std::string& sql) {
  com::Ptr<ado::Recordset> rs = connection.Execute(sql);
  return rs->fields().Item(0).Value().ToI8();
}

void Run(ado::Connection& connection, const std::string& sql) {
  connection.Execute(sql, nullptr, ado::adExecuteNoRecords);
}

std::string IdentifierInsert() {
  std::string sql = "insert into sys_identifier (name) values ";
  for (size_t i = 0; i < std::size(kJournalColumns); ++i)
    sql += std::string(i ? ", " : "") + "('" + kJournalColumns[i] + "')";
  return sql + " on conflict do nothing";
}

[[noreturn]] void NotManufacturing() {
  throw com::Error(kErrNotManufacturingDatabase, "不是生产订单数据库 (缺少 mom_orderdetail 等表); 请先用 mom init 建库");
}

UpgradeResult UpgradePostgres(const std::string& connection_string) {
  com::Ptr<ado::Connection> db = ado::Connection::Create();
  db->Open(connection_string);
  db->BeginTrans();
  try {
    if (Count(*db, "select count(*) from information_schema.tables where table_schema = current_schema() "
                   "and table_name in ('mom_orderdetail', 'sys_doccode', 'sys_identifier')") != 3)
      NotManufacturing();
    const bool had = HasQuantityJournal(*db);
    Run(*db, PostgresQuantityJournalSql());
    for (const char* script : PostgresProcedureScripts()) Run(*db, script);
    Run(*db, IdentifierInsert());
    db->CommitTrans();
    return had ? UpgradeResult::kUpToDate : UpgradeResult::kJournalAdded;
  } catch (...) {
    db->RollbackTrans();
    throw;
  }
}

// Through the data layer's SQLite provider, as the database is made: the journal's
// trigger passes through its dialect unchanged.
class SqliteUpgrade {
 public:
  explicit SqliteUpgrade(const std::string& path) : db_(ado::Connection::Create()) {
    try {
      db_->Open(ado::ConnectionString::ForSqliteFile(path));
    } catch (const com::Error& e) {
      throw std::runtime_error("无法打开数据库文件 " + path + ": " + e.description());
    }
  }
  void Begin() { Guarded([&] { db_->BeginTrans(); }); }
  void Commit() { Guarded([&] { db_->CommitTrans(); }); }
  void Exec(const char* sql) { Guarded([&] { Run(*db_, sql); }); }
  void RollbackQuietly() noexcept {
    try {
      if (db_->session().InTransaction()) db_->RollbackTrans();
    } catch (...) {
      // The connection's release rolls back what is left.
    }
  }
  int64_t Int(const char* sql) {
    int64_t value = 0;
    Guarded([&] {
      com::Ptr<ado::Recordset> rs = db_->Execute(sql);
      if (!rs->Eof()) value = rs->fields().Item(0).Value().ToI8();
    });
    return value;
  }

 private:
  template <class F>
  void Guarded(F&& f) {
    try {
      f();
    } catch (const com::Error& e) {
      throw std::runtime_error("升级失败: " + e.description());
    }
  }

  com::Ptr<ado::Connection> db_;
};

UpgradeResult UpgradeSqlite(const std::string& path) {
  SqliteUpgrade db(path);
  db.Begin();
  try {
    if (db.Int("select count(*) from sqlite_master where type = 'table' "
               "and name in ('mom_orderdetail', 'sys_doccode', 'sys_rowversion')") != 3)
      NotManufacturing();
    const int64_t version = db.Int("pragma user_version");
    if (version > kJournalSchemaVersion)
      throw com::Error(kErrNewerSchema, "数据库版本 (" + std::to_string(version) + ") 比本程序新; 未作任何修改");
    const bool had = version == kJournalSchemaVersion &&
                     db.Int("select count(*) from sqlite_master where type = 'table' and name = 'sys_qtyjournal'") > 0;
    if (!had) db.Exec(QuantityJournalSql());
    db.Commit();
    return had ? UpgradeResult::kUpToDate : UpgradeResult::kJournalAdded;
  } catch (...) {
    db.RollbackQuietly();
    throw;
  }
}

}  // namespace

const char* QuantityJournalSql() { return MomQuantityJournalText(); }
const char* PostgresQuantityJournalSql() { return MomPostgresQuantityJournalText(); }

bool HasQuantityJournal(ado::Connection& connection) {
  const std::string sql = IsPostgresTarget(connection.ConnectionString())
                              ? "select count(*) from information_schema.tables where table_schema = "
                                "current_schema() and table_name = 'sys_qtyjournal'"
                              : "select count(*) from sqlite_master where type = 'table' and name = 'sys_qtyjournal'";
  return Count(connection, sql) > 0;
}

void RequireQuantityJournal(ado::Connection& connection) {
  if (!HasQuantityJournal(connection))
    throw com::Error(kErrNoQuantityJournal,
                     "数据库没有数量日志 (sys_qtyjournal): 它建于日志之前; 用 mom init DB --upgrade 加上日志, "
                     "此后的数量变化才有记录");
}

UpgradeResult UpgradeDatabase(const std::string& target) {
  if (target.empty()) throw std::runtime_error("数据库路径为空");
  if (IsPostgresTarget(target)) return UpgradePostgres(target);
  return UpgradeSqlite(target);
}

}  // namespace database
