#include "suite/demand_lines.h"

#include "platform/ado/command.h"

namespace suite {

namespace {

std::string FreeColumns() {
  std::string s;
  for (int i = 1; i <= 10; ++i) s += "d.cFree" + std::to_string(i) + " as cfree" + std::to_string(i) + ", ";
  return s;
}

com::Ptr<ado::Recordset> Open(ado::Connection* conn, std::string sql, const std::string& code_column,
                              const std::vector<std::string>& codes) {
  if (!codes.empty()) {
    sql += " and " + code_column + " in (";
    for (size_t i = 0; i < codes.size(); ++i) sql += i ? ", ?" : "?";
    sql += ")";
  }
  sql += " order by m.id, d.iRowNo";
  com::Ptr<ado::Command> cmd = ado::Command::Create();
  cmd->command_text = sql;
  cmd->command_type = ado::adCmdText;
  cmd->SetActiveConnection(com::Ptr<ado::Connection>(conn));
  for (const std::string& code : codes)
    cmd->parameters().Append(cmd->CreateParameter("", ado::adVarWChar, ado::adParamInput, 30, code));
  com::Ptr<ado::Recordset> rs = ado::Recordset::Create();
  rs->SetCursorLocation(ado::adUseClient);
  rs->Open(cmd.get(), ado::adOpenStatic, ado::adLockBatchOptimistic);
  return rs;
}

}  // namespace

// The open quantity is worked out and has no declared type: cast, it is a double on
// every database (the embedded one would type it by its first row, often an integer,
// and cut the decimals of a quantity the caller sets later).

com::Ptr<ado::Recordset> SalesDemandLines(ado::Connection* conn, const std::vector<std::string>& order_codes) {
  return Open(conn,
              "select m.id, convert(char,convert(money,m.Krts),2) as Krts, d.isosid, "
              "cast(d.iQuantity - d.fMoQuantity as float) as iquantity, " +
                  FreeColumns() +
                  "d.cInvCode as cinvCode, d.dPreMoDate, d.iCusBomId as icusbomid, d.cMemo as cmemo, "
                  "d.iGroupType as igrouptype, d.iNum as inum, d.iInvExchRate as iinvexchrate, m.cSOCode, "
                  "d.iRowNo as iRowNO from so_somain m join so_sodetails d on d.id = m.id "
                  "where d.cSCloser is null and d.fMoQuantity < d.iQuantity" +
                  (order_codes.empty() ? std::string(" and m.cCloser is null") : std::string()),
              "m.cSOCode", order_codes);
}

com::Ptr<ado::Recordset> ExternalDemandLines(ado::Connection* conn, const std::vector<std::string>& order_codes) {
  return Open(conn,
              "select m.id, convert(char,convert(money,m.Krts),2) as Krts, d.autoid as isosid, "
              "cast(d.iQuantity - d.fMoQuantity as float) as iquantity, " +
                  FreeColumns() +
                  "d.cInvCode as cinvCode, d.dPreMoDate, null as icusbomid, d.cMemo as cmemo, "
                  "0 as igrouptype, null as inum, null as iinvexchrate, m.cCode as cSOCode, "
                  "d.iRowNo as iRowNO from ex_order m join ex_orderdetail d on d.id = m.id "
                  "where d.MoDId is null",
              "m.cCode", order_codes);
}

}  // namespace suite
