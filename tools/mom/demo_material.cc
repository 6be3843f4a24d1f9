// The material roads: a module pulling stock towards an allocation asks how much
// product it covers (on the component's own connection from the login object), and
// product receipt asks for the backflush issue lines of the finished quantity.

#include <sstream>

#include "platform/ado/connection_string.h"
#include "platform/ado/recordset.h"
#include "platform/com/error.h"
#include "platform/com/late_binding.h"
#include "tools/mom/component_host.h"
#include "tools/mom/demo.h"

namespace mom_console {

namespace {

// Calls a stock-pull operation late-bound and prints the quantity it wrote.
void Pull(Demo& demo, const com::Ptr<com::IDispatch>& login, const std::string& operation, int32_t allocation,
          const char* in_name, double in_qty, const char* out_name) {
  com::Variant login_arg(login), id(allocation), in(in_qty), out(0.0), err("");
  com::Variant args[] = {com::Variant::Ref(&login_arg), com::Variant::Ref(&id), com::Variant::Ref(&in),
                         com::Variant::Ref(&out), com::Variant::Ref(&err)};
  std::ostringstream line;
  line << "  " << operation << "(MoAllocateId=" << allocation << ", " << in_name << "=" << com::FormatDouble(in_qty)
       << ") -> ";
  try {
    bool ok = com::CallByName(demo.mom().get(), operation, args).ToBool();
    if (ok)
      line << "true, " << out_name << " = " << com::FormatDouble(out.ToR8());
    else
      line << "false, ErrMsg = \"" << err.ToString() << "\"";
  } catch (const com::Error& e) {
    line << "error " << e.number() << ": " << e.description();
  }
  demo.Say(line.str());
}

// The bill list's rows, one line each, with the fields an issue document starts from.
void ShowBillList(Demo& demo, ado::Recordset& list) {
  if (list.RecordCount() == 0) {
    demo.Say("  (no lines)");
    return;
  }
  for (list.MoveFirst(); !list.Eof(); list.MoveNext()) {
    std::ostringstream line;
    line << "  bill line      ";
    for (const char* name : {"MoAllocateId", "InvCode", "WhCode", "Quantity", "UnitId", "LotCode", "DepCode"}) {
      com::Variant v = list[name].Value();
      line << name << "=" << (v.is_null() ? "Null" : v.ToString()) << " ";
    }
    demo.Say(line.str());
  }
}

void Backflush(Demo& demo, int32_t line, double qty) {
  std::vector<com::Variant> args = {demo.Conn(), com::Variant(line), com::Variant(qty),
                                    com::Variant(com::Ptr<com::IUnknown>()), com::Variant(false), com::Variant("")};
  if (!demo.Call("GetBFRds", args, 5, true)) return;
  com::Ptr<ado::Recordset> list = args[3].ToObject<ado::Recordset>();
  if (list) ShowBillList(demo, *list);
}

}  // namespace

void DemoMaterial(Demo& demo) {
  com::Ptr<com::IDispatch> login = CreateLogin(ado::ConnectionString::ForSqliteFile(demo.path()), "demo", "001");

  demo.Section("Stock pull on allocations of MO line 1001 (quantities to 2 decimals)");
  demo.Show("allocation",
            "select AllocateId, InvCode, FVFlag, Qty, IssQty, BaseQtyN, BaseQtyD, ParentScrap, CompScrap "
            "from mom_moallocate where AllocateId in (5005, 5004) order by AllocateId desc");
  demo.Say("Product covered by 30 of CP005 (planned 122.4 for the line's 10): 30 / 122.4 * 10.");
  Pull(demo, login, "STPullfromMORM", 5005, "PQty", 30, "CQty");
  demo.Say("Stock of CP004 against what the allocation still needs (10.5 - 2.1 = 8.4), through the usage and the");
  demo.Say("5% product scrap: 5 in stock covers 5 * 0.95; 20 is limited to the 8.4 still needed.");
  Pull(demo, login, "STPullfromMORP", 5004, "SQty", 5, "PQty");
  Pull(demo, login, "STPullfromMORP", 5004, "SQty", 20, "PQty");
  demo.Say("An allocation that does not exist: false, ErrMsg untouched.");
  Pull(demo, login, "STPullfromMORM", 999999, "PQty", 1, "CQty");

  demo.Section("Backflush issue lines for the receipt of 10 on MO line 1001");
  demo.Say("Backflushed components only; the fixed-usage CP006 is fully issued (quantity 0, dropped) and the");
  demo.Say("by-product is received, not issued.");
  Backflush(demo, 1001, 10);

  demo.Section("A backflushed component without a warehouse refuses the list");
  demo.Show("allocation", "select AllocateId, MoDId, InvCode, WIPType, WhCode from mom_moallocate where AllocateId = 5031");
  Backflush(demo, 1004, 5);
}

}  // namespace mom_console
