#include "mogen/push_mo.h"

#include "mogen/gen_mo_from_demand.h"
#include "mogen/push_mo_internal.h"
#include "platform/com/late_binding.h"

namespace mom::mogen {

VariantBool PushMoFromSo(ObjectRef& ClsLogin, std::string& MoCode, RecordsetRef& SoRs, std::string& ErrMsg,
                         const std::string& cFrom) {
  try {
    if (cFrom == "SA") return PushMoFromSales(ClsLogin, MoCode, SoRs, ErrMsg);
    return PushMoFromExternal(ClsLogin, MoCode, SoRs, ErrMsg);
  } catch (...) {
    // The paths trap their own errors; what still escapes ends the call quietly.
    return kVariantFalse;
  }
}

void ReadFreeTexts(ado::Recordset& rs, std::string (&frees)[10]) {
  for (int i = 1; i <= 10; ++i) {
    com::Variant v = rs["cfree" + std::to_string(i)].Value();
    frees[i - 1] = v.is_null() ? std::string() : v.ToString();
  }
}

int32_t GenerateMo(GenerationRun& run, ObjectRef& ClsLogin, ado::Recordset& rs, int32_t line_id, uint8_t so_type,
                   const char* from, std::string& mo_code) {
  ado::Command& cmd = *run.command;
  int32_t result = 0;
  do {
    if (!run.numbering) run.numbering.emplace();
    mo_code = run.numbering->GetDocumentCode("MO21", "", run.numbering_array, true);
    if (mo_code.find_first_not_of(' ') == std::string::npos) return kNoCode;
    cmd["AccId"] = com::GetProperty(ClsLogin.get(), "cAcc_Id");
    cmd["MoCode"] = com::Variant(mo_code);
    cmd["SoDId"] = com::Variant(line_id);
    cmd["CBomId"] = rs["icusbomid"].Value();
    cmd["InvCode"] = rs["cinvCode"].Value();
    for (int i = 1; i <= 10; ++i) cmd["Free" + std::to_string(i)] = rs["cfree" + std::to_string(i)].Value();
    cmd["Qty"] = rs["iquantity"].Value();
    cmd["DueDate"] = rs["dPreMoDate"].Value();
    cmd["createuser"] = com::Variant(run.user);
    cmd["createdate"] = com::Variant(run.created);
    cmd["remark"] = rs["cmemo"].Value();
    cmd["SoType"] = com::Variant(so_type);
    cmd["from"] = com::Variant(from);
    cmd["igrouptype"] = rs["igrouptype"].Value();
    cmd["inum"] = rs["inum"].Value();
    cmd["iinvexchrate"] = rs["iinvexchrate"].Value();
    cmd.Execute(nullptr, ado::adExecuteNoRecords);
    result = cmd["Return"].ToI4();
  } while (result == kCodeTaken);
  return result;
}

}  // namespace mom::mogen
