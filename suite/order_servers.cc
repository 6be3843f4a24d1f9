#include "suite/order_servers.h"

#include <cmath>

#include "suite/db_access.h"

namespace suite {

namespace {

using com::RefParam;
using com::VarType;

std::string Trimmed(std::string s) {
  while (!s.empty() && s.back() == ' ') s.pop_back();
  return s;
}

// CheckSOKRTS(conn, id, Krts, msg)
com::Variant CheckSoKrts(std::span<com::Variant> args) {
  com::Ptr<ado::Connection> conn = ConnectionArg(args[0]);
  const int32_t id = args[1].ToI4();
  const std::string token = args[2].ToString();
  com::Ptr<ado::Recordset> rs = QueryRows(
      conn.get(), "select convert(char,convert(money,Krts),2) as Krts, cCloser from so_somain where id = ?", {id});
  std::string msg;
  if (rs->Eof()) {
    msg = "销售订单不存在";
  } else if (!rs->fields().Item("cCloser").Value().is_null()) {
    msg = "销售订单已关闭";
  } else if (Trimmed(rs->fields().Item("Krts").Value().ToString()) != Trimmed(token)) {
    msg = "销售订单已被其他人员修改，请刷新后再试";
  }
  if (msg.empty()) return com::Variant(true);
  args[3].Deref() = com::Variant(msg);
  return com::Variant(false);
}

// SOTOWriteBack(conn, isosid, qty, msg)
com::Variant SoToWriteBack(std::span<com::Variant> args) {
  com::Ptr<ado::Connection> conn = ConnectionArg(args[0]);
  const int32_t line = args[1].ToI4();
  const double qty = args[2].ToR8();
  com::Ptr<ado::Recordset> rs = QueryRows(conn.get(), "select cSCloser from so_sodetails where isosid = ?", {line});
  std::string msg;
  if (rs->Eof()) {
    msg = "销售订单行不存在";
  } else if (!rs->fields().Item("cSCloser").Value().is_null()) {
    msg = "销售订单行已关闭";
  } else {
    ExecuteSql(conn.get(), "update so_sodetails set fMoQuantity = round(fMoQuantity + ?, 6) where isosid = ?",
               {qty, line});
    return com::Variant(true);
  }
  args[3].Deref() = com::Variant(msg);
  return com::Variant(false);
}

// SoToMoWriteBackEx(login, conn, sign, doc type, MoDId, qty, autoid, Krts, msg)
com::Variant SoToMoWriteBackEx(std::span<com::Variant> args) {
  com::Ptr<ado::Connection> conn = ConnectionArg(args[1]);
  const int16_t sign = args[2].ToI2();
  const int32_t mo_d_id = args[4].ToI4();
  const double qty = args[5].ToR8();
  const int32_t line = args[6].ToI4();
  const std::string token = args[7].ToString();
  com::Ptr<ado::Recordset> rs =
      QueryRows(conn.get(),
                "select d.MoDId, convert(char,convert(money,e.Krts),2) as Krts from ex_orderdetail d "
                "join ex_order e on e.id = d.id where d.autoid = ?",
                {line});
  std::string msg;
  if ((sign == 3) != (qty < 0)) {
    // 3 marks a reduction: it must come with a negative quantity, and only then.
    msg = "数量方向与数量符号不符";
  } else if (rs->Eof()) {
    msg = "外部订单行不存在";
  } else if (Trimmed(rs->fields().Item("Krts").Value().ToString()) != Trimmed(token)) {
    msg = "外部订单已被其他人员修改，请刷新后再试";
  } else if (com::Variant current = rs->fields().Item("MoDId").Value();
             !current.is_null() && current.ToI4() != mo_d_id) {
    msg = "外部订单行已生成生产订单";
  } else if (QueryRows(conn.get(), "select MoDId from mom_orderdetail where MoDId = ?", {mo_d_id})->Eof()) {
    msg = "生产订单行不存在";
  } else {
    ExecuteSql(conn.get(),
               "update ex_orderdetail set MoDId = ?, fMoQuantity = round(fMoQuantity + ?, 6) where autoid = ?",
               {mo_d_id, qty, line});
    return com::Variant(true);
  }
  args[8].Deref() = com::Variant(msg);
  return com::Variant(false);
}

}  // namespace

SoFunc::SoFunc() : AutomationObject("IclsSOFunc") {
  AddMember({"CheckSOKRTS",
             0,
             com::InvokeKind::Method,
             {RefParam("conn", VarType::Unknown), RefParam("id", VarType::I4), RefParam("Krts", VarType::String),
              RefParam("msg", VarType::String)},
             VarType::Bool},
            CheckSoKrts);
  AddMember({"SOTOWriteBack",
             0,
             com::InvokeKind::Method,
             {RefParam("conn", VarType::Unknown), RefParam("isosid", VarType::I4), RefParam("qty", VarType::R8),
              RefParam("msg", VarType::String)},
             VarType::Bool},
            SoToWriteBack);
}

ExInterface::ExInterface() : AutomationObject("IclsInterface") {
  AddMember({"SoToMoWriteBackEx",
             0,
             com::InvokeKind::Method,
             {RefParam("login", VarType::Variant), RefParam("conn", VarType::Unknown), RefParam("sign", VarType::I2),
              com::InParam("cDocType", VarType::String), RefParam("MoDId", VarType::I4), RefParam("qty", VarType::R8),
              RefParam("autoid", VarType::I4), RefParam("Krts", VarType::String), RefParam("msg", VarType::String)},
             VarType::Bool},
            SoToMoWriteBackEx);
}

}  // namespace suite
