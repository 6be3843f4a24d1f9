// The sales path of PushMoFromSo: every sales-order line in a transaction of its own;
// a refused line is rolled back and reported, the run goes on.

#include "mogen/ato_net_demand.h"
#include "mogen/gen_mo_from_demand.h"
#include "mogen/push_mo_internal.h"
#include "platform/com/creation.h"
#include "platform/com/error.h"
#include "platform/com/error_info.h"
#include "platform/com/late_binding.h"
#include "shared/data_services.h"
#include "shared/login_connection.h"
#include "shared/xml_rs_data.h"
#include "suite/part_lookup_interface.h"

namespace mom::mogen {

namespace {

com::Variant ConnectionArg(const ConnectionRef& cn) {
  return com::Variant(com::Ptr<com::IUnknown>(static_cast<com::IUnknown*>(cn.get())));
}

// A failed early-bound call becomes the error its callee reported.
void RaiseFailed(com::HResult hr) {
  if (auto info = com::TakeErrorInfo()) throw com::Error(info->number, info->description, info->source);
  throw com::Error(hr, "Automation error");
}

// "处理失败": the text of a refusal that came without a reason.
constexpr int32_t kProcessingFailed = 10002;

std::string TextOrEmpty(const com::Variant& v) { return v.is_null() ? std::string() : v.ToString(); }

}  // namespace

VariantBool PushMoFromSales(ObjectRef& ClsLogin, std::string&, RecordsetRef& SoRs, std::string& ErrMsg) {
  GenerationRun run;
  std::optional<ScopedCurrentLogin> current_login;
  try {
    run.cn = OpenLoginConnection(ClsLogin);
    current_login.emplace(run.cn->ConnectionString());
    ObjectRef sales = com::CreateObject("VERORavede.clsSOFunc");
    if (SoRs->RecordCount() > 0) SoRs->MoveFirst();
    SoRs->SetSort("id ASC, isosid ASC");
    run.user = com::GetProperty(ClsLogin.get(), "cUserId").ToString();
    run.command = GenMoFromDemand();
    run.command->SetActiveConnection(run.cn);
    run.created = XMLRSData::GetServerDate(run.cn);
    run.cn->Execute(kCreateSessionTable, nullptr, ado::adExecuteNoRecords);

    com::Ptr<suite::IPartLookup> part_lookup;
    int32_t last_order = 0;
    std::string order_token;
    std::string line_message;
    ado::Recordset& rs = *SoRs;
    while (!rs.Eof()) {
      bool skip = false;
      run.cn->BeginTrans();

      bool order_refused = false;
      if (const int32_t id = rs["id"].Value().ToI4(); id != last_order) {
        last_order = id;
        order_token = rs["Krts"].Value().ToString();
        com::Variant conn_arg = ConnectionArg(run.cn), id_arg(last_order), token_arg(order_token),
                     msg_arg(line_message);
        com::Variant args[] = {com::Variant::Ref(&conn_arg), com::Variant::Ref(&id_arg), com::Variant::Ref(&token_arg),
                               com::Variant::Ref(&msg_arg)};
        bool ok = com::CallByName(sales.get(), "CheckSOKRTS", args).ToBool();
        run.cn = conn_arg.ToObject<ado::Connection>();
        line_message = msg_arg.ToString();
        order_refused = !ok;
        // A refusal must reach the caller even when the sales server gave no reason;
        // otherwise the line would be committed with nothing done and the run report
        // success.
        if (order_refused && line_message.empty()) line_message = XMLRSData::GetResTextById(kProcessingFailed);
      }

      if (!order_refused) {
        const int32_t line_id = rs["isosid"].Value().ToI4();
        const double qty = rs["iquantity"].Value().ToR8();
        std::string frees[10];
        ReadFreeTexts(rs, frees);

        // The part lookup and the crediting may fail without stopping the line: the
        // line is generated all the same (and not credited, since the part is unknown).
        try {
          if (!part_lookup) part_lookup = com::CreateInstance<suite::IPartLookup>(suite::kClsidPartLookup);
          com::Ptr<com::IDispatch> nothing;
          std::string inv_code = rs["cinvCode"].Value().ToString();
          int32_t part_id = 0;
          int16_t found = 0;
          com::HResult hr = part_lookup->FindPart(&nothing, &inv_code, &frees[0], &frees[1], &frees[2], &frees[3],
                                                  &frees[4], &frees[5], &frees[6], &frees[7], &frees[8], &frees[9],
                                                  &part_id, &line_message, &run.cn, &found);
          if (com::Failed(hr)) RaiseFailed(hr);
          if (found) {
            // A crediting that fails halfway (a row changed meanwhile, a row credited in
            // both passes) is undone as a whole, so the line does not commit a partial or
            // doubled credit while it is reported as done.
            run.cn->Execute("savepoint ato_credit", nullptr, ado::adExecuteNoRecords);
            try {
              CreditAtoNetDemand(0, qty, false, part_id, rs["dPreMoDate"].Value().ToDate(), 1, line_id, true, run.cn);
            } catch (...) {
              run.cn->Execute("rollback to ato_credit", nullptr, ado::adExecuteNoRecords);
            }
            run.cn->Execute("release ato_credit", nullptr, ado::adExecuteNoRecords);
          } else {
            skip = true;
            if (line_message.empty()) line_message = XMLRSData::GetResTextById(kProcessingFailed);
          }
        } catch (...) {
        }

        if (!skip) {
          std::string mo_code;
          const int32_t result = GenerateMo(run, ClsLogin, rs, line_id, 1, "SA", mo_code);
          if (result == 0) {
            com::Variant conn_arg = ConnectionArg(run.cn), id_arg(line_id), qty_arg(qty), msg_arg(line_message);
            com::Variant args[] = {com::Variant::Ref(&conn_arg), com::Variant::Ref(&id_arg),
                                   com::Variant::Ref(&qty_arg), com::Variant::Ref(&msg_arg)};
            com::CallByName(sales.get(), "SOTOWriteBack", args);
            run.cn = conn_arg.ToObject<ado::Connection>();
            line_message = msg_arg.ToString();
          } else {
            line_message = XMLRSData::GetResTextById(result - 80000);
          }
        }
      }

      if (line_message.empty()) {
        run.cn->CommitTrans();
      } else {
        std::string text = XMLRSData::GetResText("Z7.Z7M.VBInterface.00101") + " " +
                           TextOrEmpty(rs["cSOCode"].Value()) + " -- " + TextOrEmpty(rs["iRowNO"].Value()) + " " +
                           line_message;
        run.cn->RollbackTrans();
        ErrMsg = ErrMsg + text + "\r\n";
      }
      run.cn->Execute("delete from #tmp_moallocate", nullptr, ado::adExecuteNoRecords);
      line_message.clear();
      rs.MoveNext();
    }
    return ErrMsg.empty() ? kVariantTrue : kVariantFalse;
  } catch (...) {
    ErrMsg = ErrMsg + " " + com::CurrentExceptionInfo().description;
  }
  // The open line's work goes with the run connection, released on return.
  return kVariantFalse;
}

}  // namespace mom::mogen
