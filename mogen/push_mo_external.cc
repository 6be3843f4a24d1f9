// The external-order path of PushMoFromSo: the whole run is one transaction, and the
// first failure ends it without keeping anything.

#include "mogen/ato_net_demand.h"
#include "mogen/gen_mo_from_demand.h"
#include "mogen/push_mo_internal.h"
#include "platform/ado/recordset.h"
#include "platform/ado/text.h"
#include "platform/com/creation.h"
#include "platform/com/error.h"
#include "platform/com/error_info.h"
#include "platform/com/late_binding.h"
#include "shared/data_services.h"
#include "shared/login_connection.h"
#include "shared/xml_rs_data.h"

namespace mom::mogen {

VariantBool PushMoFromExternal(ObjectRef& ClsLogin, std::string&, RecordsetRef& SoRs, std::string& ErrMsg) {
  GenerationRun run;
  std::optional<ScopedCurrentLogin> current_login;
  try {
    run.cn = OpenLoginConnection(ClsLogin);
    current_login.emplace(run.cn->ConnectionString());
    ObjectRef external = com::CreateObject("DEDARiredizur.clsInterface");
    if (SoRs->RecordCount() > 0) SoRs->MoveFirst();
    SoRs->SetSort("id ASC, isosid ASC");
    run.user = com::GetProperty(ClsLogin.get(), "cUserId").ToString();
    run.command = GenMoFromDemand();
    run.command->SetActiveConnection(run.cn);
    run.created = XMLRSData::GetServerDate(run.cn);
    RecordsetRef mo_query = ado::Recordset::Create();
    mo_query->SetCursorLocation(ado::adUseClient);
    run.cn->BeginTrans();
    run.cn->Execute(kCreateSessionTable, nullptr, ado::adExecuteNoRecords);

    int32_t last_order = 0;
    std::string order_token;
    ado::Recordset& rs = *SoRs;
    while (!rs.Eof()) {
      if (const int32_t id = rs["id"].Value().ToI4(); id != last_order) {
        last_order = id;
        order_token = rs["Krts"].Value().ToString();
      }
      int32_t line_id = rs["isosid"].Value().ToI4();
      double qty = rs["iquantity"].Value().ToR8();
      std::string frees[10];
      ReadFreeTexts(rs, frees);
      com::SafeArray free_items;
      for (const std::string& f : frees) free_items.items.emplace_back(f);
      com::Variant free_array(std::move(free_items));

      if (!run.numbering) run.numbering.emplace();
      const int32_t part_id = run.numbering->GetPartId(rs["cinvCode"].Value().ToString(), free_array);
      if (part_id > 0)
        CreditAtoNetDemand(0, qty, false, part_id, rs["dPreMoDate"].Value().ToDate(), 3, line_id, true, run.cn);

      std::string mo_code;
      const int32_t result = GenerateMo(run, ClsLogin, rs, line_id, 3, "EX", mo_code);
      if (result != 0) throw com::Error(result - 80000, XMLRSData::GetResTextById(result - 80000));

      int16_t sign = qty < 0 ? 3 : 1;
      // The code comes from the numbering service: quoted, whatever it holds.
      mo_query->Open(
          "select MoDId from mom_order, mom_orderdetail where mom_order.MoId = mom_orderdetail.MoId and "
          "mom_order.MoCode = " +
              ado::QuoteLiteral(mo_code),
          run.cn.get());
      int32_t mo_d_id = (*mo_query)["MoDId"].Value().ToI4();
      mo_query->Close();

      com::Variant login_arg(ClsLogin), conn_arg(com::Ptr<com::IUnknown>(static_cast<com::IUnknown*>(run.cn.get()))),
          sign_arg(sign), mo_arg(mo_d_id), qty_arg(qty), line_arg(line_id), token_arg(order_token),
          msg_arg{std::string()};
      com::Variant args[] = {com::Variant::Ref(&login_arg), com::Variant::Ref(&conn_arg),  com::Variant::Ref(&sign_arg),
                             com::Variant("MO21"),          com::Variant::Ref(&mo_arg),    com::Variant::Ref(&qty_arg),
                             com::Variant::Ref(&line_arg),  com::Variant::Ref(&token_arg), com::Variant::Ref(&msg_arg)};
      const bool written = com::CallByName(external.get(), "SoToMoWriteBackEx", args).ToBool();
      run.cn = conn_arg.ToObject<ado::Connection>();
      // The interface's reason is the run's error text.
      if (!written) throw com::Error(com::kErrAutomation, msg_arg.ToString());
      rs.MoveNext();
    }
    run.cn->CommitTrans();
    return kVariantTrue;
  } catch (...) {
    ErrMsg = ErrMsg + " " + com::CurrentExceptionInfo().description;
  }
  // Nothing of the run is kept: its transaction goes with the run connection.
  return kVariantFalse;
}

}  // namespace mom::mogen
