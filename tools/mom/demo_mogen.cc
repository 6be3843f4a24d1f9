// The road of an MO generation, as the sales and external-order modules walk it: they
// read their open lines into a recordset and hand it to PushMoFromSo with their login;
// the component works on a connection of its own.

#include "platform/com/creation.h"
#include "platform/com/late_binding.h"
#include "suite/demand_lines.h"
#include "tools/mom/demo.h"
#include "tools/mom/json_values.h"

namespace mom_console {

namespace {

bool Push(Demo& demo, com::Ptr<com::IDispatch>& login, com::Ptr<ado::Recordset> lines, const char* from) {
  com::Variant login_arg(login), code{std::string()},
      lines_arg(com::Ptr<com::IUnknown>(static_cast<com::IUnknown*>(lines.get()))), err{std::string()};
  com::Variant args[] = {com::Variant::Ref(&login_arg), com::Variant::Ref(&code), com::Variant::Ref(&lines_arg),
                         com::Variant::Ref(&err), com::Variant(from)};
  const bool ok = com::CallByName(demo.mom().get(), "PushMoFromSo", args).ToBool();
  demo.Say(std::string("PushMoFromSo(cFrom=") + from + ") -> " + (ok ? "true" : "false"));
  if (!err.ToString().empty()) demo.Say("ErrMsg: " + err.ToString());
  return ok;
}

}  // namespace

void DemoMoGeneration(Demo& demo) {
  com::Ptr<com::IDispatch> login = com::CreateObject("MomSuite.Login");
  com::PutProperty(login.get(), "KrDbName", demo.connection()->ConnectionString());
  com::PutProperty(login.get(), "cUserId", "demo");
  com::PutProperty(login.get(), "cAcc_Id", "001");
  const std::string orders_sql =
      "select o.MoCode, d.MoDId, d.SoType, d.SoDId, d.InvCode, d.Qty, d.BomId, "
      "(select count(*) from mom_moallocate a where a.MoDId = d.MoDId) as Allocations "
      "from mom_order o join mom_orderdetail d on d.MoId = o.MoId where d.MoDId > 1006";

  demo.Section("MO generation 1. Sales order SO0003: four lines, one of them refused");
  demo.Say("The sales module reads the open lines (mom so-lines) and calls PushMoFromSo.");
  com::Ptr<ado::Recordset> lines = suite::SalesDemandLines(demo.connection().get(), {"SO0003"});
  demo.Show("sales lines",
            "select isosid, iRowNo, cInvCode, iQuantity, fMoQuantity, cFree1, cFree2 "
            "from so_sodetails where id = 8003");
  Push(demo, login, lines, "SA");
  demo.Say("Every line had a transaction of its own: CP001 has no bill, so its line was rolled back and");
  demo.Say("reported; the others have their MOs, allocations and written-back quantities.");
  demo.Show("orders", orders_sql);
  demo.Show("sales lines", "select isosid, iQuantity, fMoQuantity from so_sodetails where id = 8003");
  demo.Show("net demand",
            "select DemandId, SoDId, Seq, BalQty, crdqty, ModifyFlag from mps_netdemand "
            "where DemandId = 6005");

  demo.Section("MO generation 2. A stale order token");
  demo.Say("SO0002 is read, then changed by someone else: its first line is refused by the order check.");
  lines = suite::SalesDemandLines(demo.connection().get(), {"SO0002"});
  demo.connection()->Execute("update so_somain set cCusCode = cCusCode where id = 8002");
  Push(demo, login, lines, "SA");
  demo.Show("orders", orders_sql + " and d.SoType = 1 and d.SoDId in (8111, 8113)");

  demo.Section("MO generation 3. External order EX0002, all or nothing");
  lines = suite::ExternalDemandLines(demo.connection().get(), {"EX0002"});
  demo.Say("The run is one transaction; a negative quantity is written back with sign 3.");
  Push(demo, login, lines, "EX");
  demo.Show("external lines",
            "select autoid, cInvCode, iQuantity, fMoQuantity, MoDId from ex_orderdetail "
            "where id = 8502");
  demo.Show("net demand",
            "select DemandId, SoDId, Seq, Factor, BalQty, crdqty from mps_netdemand "
            "where DemandId in (6006, 6007)");
  demo.Show("numbering", "select DocType, Prefix, NextNumber from sys_doccode");
}

}  // namespace mom_console
