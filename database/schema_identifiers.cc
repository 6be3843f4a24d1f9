#include "database/schema_identifiers.h"

#include <set>
#include <stdexcept>

#include "database/manufacturing_db.h"
#include "platform/ado/connection.h"
#include "platform/ado/field.h"
#include "platform/ado/recordset.h"
#include "platform/com/error.h"

namespace database {

std::vector<std::string> SchemaColumnNames() {
  com::Ptr<ado::Connection> db = ado::Connection::Create();
  try {
    db->Open("Provider=SQLite;Data Source=:memory:");
  } catch (const com::Error&) {
    throw std::runtime_error("无法打开内存数据库");
  }
  try {
    db->Execute(SchemaSql(), nullptr, ado::adExecuteNoRecords);
  } catch (const com::Error& e) {
    throw std::runtime_error(std::string("建表失败: ") + e.description());
  }
  std::set<std::string> names;
  try {
    com::Ptr<ado::Recordset> rs = db->Execute(
        "SELECT c.name FROM sqlite_master t, pragma_table_info(t.name) c WHERE t.type = 'table'");
    for (; !rs->Eof(); rs->MoveNext()) names.insert(rs->fields().Item(0).Value().ToString());
  } catch (const com::Error& e) {
    throw std::runtime_error(std::string("读取表结构失败: ") + e.description());
  }
  return {names.begin(), names.end()};
}

}  // namespace database
