#include "database/idempotency_table.h"

#include <string>
#include <vector>

#include "database/postgres_database.h"
#include "platform/ado/field.h"
#include "platform/ado/recordset.h"
#include "platform/ado/text.h"
#include "platform/com/error.h"

// Generated from idempotency_keys.sql and postgres/idempotency_keys.sql.
const char* MomIdempotencyKeysText();
const char* MomPostgresIdempotencyKeysText();

namespace database {
namespace {

std::vector<std::string> FirstColumn(ado::Connection& connection, const std::string& sql) {
  std::vector<std::string> values;
  com::Ptr<ado::Recordset> rs = connection.Execute(sql);
  for (; rs->State() == ado::adStateOpen && !rs->Eof(); rs->MoveNext())
    values.push_back(rs->fields().Item(0).Value().ToString());
  return values;
}

struct Catalog {
  std::string manufacturing_tables;  // counts the tables every manufacturing database has
  std::string idempotency_columns;   // the table's column names, in order
};

Catalog CatalogOf(bool postgres) {
  if (postgres)
    return {"select count(*) from information_schema.tables where table_schema = current_schema() "
            "and table_name in ('mom_orderdetail', 'sys_doccode', 'sys_identifier')",
            "select column_name from information_schema.columns where table_schema = current_schema() "
            "and table_name = 'sys_idempotency' order by ordinal_position"};
  return {"select count(*) from sqlite_master where type = 'table' "
          "and name in ('mom_orderdetail', 'sys_doccode', 'sys_rowversion')",
          "select name from pragma_table_info('sys_idempotency') order by cid"};
}

bool HasExpectedColumns(const std::vector<std::string>& columns) {
  constexpr size_t n = std::size(kIdempotencyColumns);
  if (columns.size() != n) return false;
  for (size_t i = 0; i < n; ++i)
    if (ado::AsciiLower(columns[i]) != ado::AsciiLower(kIdempotencyColumns[i])) return false;
  return true;
}

std::string IdentifierInsert() {
  std::string sql = "insert into sys_identifier (name) values ";
  for (size_t i = 0; i < std::size(kIdempotencyColumns); ++i)
    sql += std::string(i ? ", " : "") + "('" + kIdempotencyColumns[i] + "')";
  return sql + " on conflict do nothing";
}

}  // namespace

const char* IdempotencyKeysSql() { return MomIdempotencyKeysText(); }
const char* PostgresIdempotencyKeysSql() { return MomPostgresIdempotencyKeysText(); }

void EnsureIdempotencyTable(ado::Connection& connection) {
  const bool postgres = IsPostgresTarget(connection.ConnectionString());
  const Catalog catalog = CatalogOf(postgres);
  connection.BeginTrans();
  try {
    if (FirstColumn(connection, catalog.manufacturing_tables).front() != "3")
      throw com::Error(kErrNotManufacturingDatabase,
                       "不是生产订单数据库 (缺少 mom_orderdetail 等表); 请先用 mom init 建库");
    std::vector<std::string> columns = FirstColumn(connection, catalog.idempotency_columns);
    if (columns.empty()) {
      connection.Execute(postgres ? PostgresIdempotencyKeysSql() : IdempotencyKeysSql(), nullptr,
                         ado::adExecuteNoRecords);
      if (postgres) connection.Execute(IdentifierInsert(), nullptr, ado::adExecuteNoRecords);
      columns = FirstColumn(connection, catalog.idempotency_columns);
    }
    if (!HasExpectedColumns(columns))
      throw com::Error(kErrIdempotencyTableShape,
                       "表 sys_idempotency 已存在但列不符 (应为 IdemKey, Operation, Request, HttpStatus, Answer, "
                       "CreatedAt); 未作任何修改");
    connection.CommitTrans();
  } catch (...) {
    connection.RollbackTrans();
    throw;
  }
}

}  // namespace database
