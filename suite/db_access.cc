#include "suite/db_access.h"

#include "platform/ado/command.h"
#include "platform/com/error.h"

namespace suite {

namespace {

com::Ptr<ado::Command> MakeCommand(ado::Connection* conn, std::string_view sql,
                                   std::initializer_list<com::Variant> params) {
  com::Ptr<ado::Command> cmd = ado::Command::Create();
  cmd->command_text = std::string(sql);
  cmd->command_type = ado::adCmdText;
  cmd->SetActiveConnection(com::Ptr<ado::Connection>(conn));
  for (const com::Variant& p : params) {
    ado::DataType type = ado::adVarWChar;
    switch (p.type()) {
      case com::VarType::I2:
      case com::VarType::I4:
      case com::VarType::UI1:
      case com::VarType::I8:
        type = ado::adInteger;
        break;
      case com::VarType::R8:
        type = ado::adDouble;
        break;
      case com::VarType::Date:
        type = ado::adDate;
        break;
      default:
        break;
    }
    cmd->parameters().Append(cmd->CreateParameter("", type, ado::adParamInput, type == ado::adVarWChar ? 4000 : 0, p));
  }
  return cmd;
}

}  // namespace

com::Ptr<ado::Recordset> QueryRows(ado::Connection* conn, std::string_view sql,
                                   std::initializer_list<com::Variant> params) {
  com::Ptr<ado::Command> cmd = MakeCommand(conn, sql, params);
  com::Ptr<ado::Recordset> rs = ado::Recordset::Create();
  rs->SetCursorLocation(ado::adUseClient);
  rs->Open(cmd.get(), ado::adOpenStatic, ado::adLockReadOnly);
  return rs;
}

int64_t ExecuteSql(ado::Connection* conn, std::string_view sql, std::initializer_list<com::Variant> params) {
  com::Ptr<ado::Command> cmd = MakeCommand(conn, sql, params);
  int64_t affected = 0;
  cmd->Execute(&affected, ado::adExecuteNoRecords);
  return affected;
}

com::Ptr<ado::Connection> ConnectionArg(const com::Variant& arg) {
  com::Ptr<ado::Connection> conn = arg.is_object() ? arg.ToObject<ado::Connection>() : nullptr;
  if (!conn) com::Raise(com::kErrObjectRequired);
  return conn;
}

com::Variant ConnectionValue(const com::Ptr<ado::Connection>& conn) {
  return com::Variant(com::Ptr<com::IUnknown>(static_cast<com::IUnknown*>(conn.get())));
}

std::optional<int32_t> FindPartId(ado::Connection* conn, const std::string& inv_code,
                                  const std::vector<std::string>& frees) {
  std::string sql = "select PartId from bas_part where InvCode = ?";
  for (int i = 1; i <= 10; ++i) sql += " and coalesce(Free" + std::to_string(i) + ", '') = ?";
  sql += " order by PartId limit 1";
  auto free = [&](size_t i) { return com::Variant(i < frees.size() ? frees[i] : std::string()); };
  com::Ptr<ado::Recordset> rs = QueryRows(conn, sql,
                                          {com::Variant(inv_code), free(0), free(1), free(2), free(3), free(4), free(5),
                                           free(6), free(7), free(8), free(9)});
  if (rs->Eof()) return std::nullopt;
  return rs->fields().Item(0).Value().ToI4();
}

}  // namespace suite
