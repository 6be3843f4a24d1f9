#include "suite/order_servers.h"

#include <cmath>
#include <cstdio>
#include <optional>

#include "platform/com/error.h"

#include "suite/db_access.h"
#include "suite/resource_table.h"

namespace suite {

namespace {

using com::RefParam;
using com::VarType;

std::string Trimmed(std::string s) {
  while (!s.empty() && s.back() == ' ') s.pop_back();
  return s;
}

constexpr char kSalesOrderChanged[] = "销售订单已被其他人员修改，请刷新后再试";
constexpr char kMoQuantityExceededKey[] = "so.message.mo_quantity_exceeded";

// A quantity as a user reads it: at most six decimals, no trailing zeros.
std::string QuantityText(double value) {
  char buffer[64];
  std::snprintf(buffer, sizeof buffer, "%.6f", value);
  std::string text = buffer;
  while (text.back() == '0') text.pop_back();
  if (text.back() == '.') text.pop_back();
  return text == "-0" ? "0" : text;
}

// The resource text with %1.. replaced by the arguments.
std::string Substituted(std::string text, std::initializer_list<std::string> values) {
  int n = 0;
  for (const std::string& value : values) {
    const std::string marker = "%" + std::to_string(++n);
    for (size_t at = text.find(marker); at != std::string::npos; at = text.find(marker, at + value.size()))
      text.replace(at, marker.size(), value);
  }
  return text;
}

std::string MoQuantityExceeded(const std::string& order_code, int32_t row_no, double ordered, double recorded,
                               double qty) {
  const std::optional<std::string> text = ResourceTable::Builtin().TextOf(kMoQuantityExceededKey);
  if (!text) throw com::Error(com::kErrAutomation, std::string("资源不存在: ") + kMoQuantityExceededKey);
  return Substituted(*text, {order_code, std::to_string(row_no), QuantityText(ordered), QuantityText(recorded),
                             QuantityText(qty)});
}

// CheckSOKRTS(conn, id, Krts, msg). A passing check moves the order's token in the
// caller's transaction: the order stays locked until that transaction ends, and a second
// check with the same token (another run over the same list, or the same list run again)
// is refused.
com::Variant CheckSoKrts(std::span<com::Variant> args) {
  com::Ptr<ado::Connection> conn = ConnectionArg(args[0]);
  const int32_t id = args[1].ToI4();
  const std::string token = args[2].ToString();
  com::Ptr<ado::Recordset> rs =
      QueryRows(conn.get(),
                "select convert(char,convert(money,Krts),2) as Krts, Krts as row_version, cCloser from so_somain "
                "where id = ?",
                {id});
  std::string msg;
  if (rs->Eof()) {
    msg = "销售订单不存在";
  } else if (!rs->fields().Item("cCloser").Value().is_null()) {
    msg = "销售订单已关闭";
  } else if (Trimmed(rs->fields().Item("Krts").Value().ToString()) != Trimmed(token) ||
             // Another session may have moved the token since the read: the update then
             // waits for it and finds nothing to change.
             ExecuteSql(conn.get(), "update so_somain set cCloser = cCloser where id = ? and Krts = ? and cCloser is null",
                        {id, rs->fields().Item("row_version").Value()}) == 0) {
    msg = kSalesOrderChanged;
  }
  if (msg.empty()) return com::Variant(true);
  args[3].Deref() = com::Variant(msg);
  return com::Variant(false);
}

// SOTOWriteBack(conn, isosid, qty, msg). The line's MO quantity never goes past its
// ordered quantity (in the direction of its sign); the limit is part of the update, so
// two sessions writing back the same line at once cannot both pass it.
com::Variant SoToWriteBack(std::span<com::Variant> args) {
  com::Ptr<ado::Connection> conn = ConnectionArg(args[0]);
  const int32_t line = args[1].ToI4();
  const double qty = args[2].ToR8();
  if (!std::isfinite(qty)) {
    args[3].Deref() = com::Variant(std::string("数量无效"));
    return com::Variant(false);
  }
  if (ExecuteSql(conn.get(),
                 "update so_sodetails set fMoQuantity = round(fMoQuantity + ?, 6) where isosid = ? and cSCloser is null "
                 "and (iQuantity >= 0 and round(fMoQuantity + ?, 6) <= iQuantity "
                 "or iQuantity < 0 and round(fMoQuantity + ?, 6) >= iQuantity)",
                 {qty, line, qty, qty}) == 1)
    return com::Variant(true);
  com::Ptr<ado::Recordset> rs = QueryRows(conn.get(),
                                          "select m.cSOCode, d.iRowNo, d.iQuantity, d.fMoQuantity, d.cSCloser "
                                          "from so_sodetails d join so_somain m on m.id = d.id where d.isosid = ?",
                                          {line});
  std::string msg;
  if (rs->Eof()) {
    msg = "销售订单行不存在";
  } else if (!rs->fields().Item("cSCloser").Value().is_null()) {
    msg = "销售订单行已关闭";
  } else {
    msg = MoQuantityExceeded(rs->fields().Item("cSOCode").Value().ToString(),
                             rs->fields().Item("iRowNo").Value().ToI4(), rs->fields().Item("iQuantity").Value().ToR8(),
                             rs->fields().Item("fMoQuantity").Value().ToR8(), qty);
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
