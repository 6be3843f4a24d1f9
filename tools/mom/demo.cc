#include "tools/mom/demo.h"

#include <iomanip>

#include "database/manufacturing_db.h"
#include "platform/ado/connection_string.h"
#include "platform/ado/recordset.h"
#include "platform/com/error.h"
#include "platform/com/late_binding.h"
#include "tools/mom/component_host.h"
#include "tools/mom/json_values.h"

namespace mom_console {

Demo::Demo(std::ostream& out, const std::string& path) : out_(out), path_(path) {
  database::CreateDatabase(path, /*with_sample=*/true, /*overwrite=*/false);
  out_ << "Sample database: " << path << "\n";
  connection_ = ado::Connection::Create();
  connection_->Open(ado::ConnectionString::ForSqliteFile(path));
  mom_ = CreateClsMom();
}

void Demo::Show(const std::string& label, const std::string& sql) {
  com::Ptr<ado::Recordset> rs = ado::Recordset::Create();
  rs->SetCursorLocation(ado::adUseClient);
  rs->Open(sql, connection_.get());
  Json rows = RecordsetToJson(*rs)["rows"];
  for (const Json& row : rows) out_ << "  " << std::left << std::setw(16) << label << row.dump() << "\n";
}

std::string Demo::Token(const std::string& table, const std::string& key, int32_t id) {
  com::Ptr<ado::Recordset> rs = ado::Recordset::Create();
  rs->SetCursorLocation(ado::adUseClient);
  rs->Open("select convert(char,convert(money,Krts),2) as Krts from " + table + " where " + key + " = " +
               std::to_string(id),
           connection_.get());
  return rs->fields().Item("Krts").Value().ToString();
}

bool Demo::Call(const std::string& operation, std::vector<com::Variant> args, int err_msg_index) {
  return Call(operation, args, err_msg_index, true);
}

bool Demo::Call(const std::string& operation, std::vector<com::Variant>& values, int err_msg_index, bool) {
  std::vector<com::Variant> refs;
  for (com::Variant& v : values) refs.push_back(v.is_missing() ? v : com::Variant::Ref(&v));
  connection_->BeginTrans();
  bool ok = false;
  try {
    ok = com::CallByName(mom_.get(), operation, refs).ToBool();
  } catch (const com::Error& e) {
    connection_->RollbackTrans();
    out_ << "  " << operation << " failed with error " << e.number() << ": " << e.description() << "\n";
    return false;
  }
  if (ok)
    connection_->CommitTrans();
  else
    connection_->RollbackTrans();
  out_ << "  " << operation << " -> " << (ok ? "true (committed)" : "false (rolled back)");
  if (!ok) out_ << ", ErrMsg = \"" << values[err_msg_index].ToString() << "\"";
  out_ << "\n";
  return ok;
}

com::Variant Demo::Conn() {
  return com::Variant(com::Ptr<com::IUnknown>(static_cast<com::IUnknown*>(connection_.get())));
}

}  // namespace mom_console
