#include "mogen/ato_net_demand.h"

#include "mogen/common_functions_client.h"
#include "platform/ado/command.h"
#include "platform/com/error.h"
#include "shared/xml_rs_data.h"

namespace mom::mogen {

void CreditAtoNetDemand(int32_t moDId, double Qty, bool IsDel, int32_t PartId, com::Date DueDate, uint8_t SoType,
                        int32_t SoDId, bool OrdFlag, ConnectionRef& cn) {
  RecordsetRef set = GetAtoNetDemand(moDId, IsDel, PartId, DueDate, SoType, SoDId, OrdFlag, cn);
  if (set->RecordCount() < 1) return;

  CommonFunctionsClient common;
  const int16_t decimals = com::Variant(common.GetQuantityDigits()).ToI2();
  const int16_t sign = IsDel ? -1 : 1;
  double remaining = Qty;
  int32_t visits = 0;
  bool reverse = false;

  while (!set->Eof()) {
    const int32_t seq = (*set)["Seq"].Value().ToI4();
    if (seq == 3) {
      reverse = true;
      break;
    }
    if (seq == 2) remaining = com::RoundHalfEven((*set)["Factor"].Value().ToR8() * remaining, decimals);
    SpreadNetDemandCredit(set, remaining, sign);
    ++visits;
    if (remaining == 0) break;
    set->MoveNext();
  }
  if (reverse) {
    // Backwards from the last row, on into rows the forward pass already credited.
    set->MoveLast();
    while (!set->Bof()) {
      SpreadNetDemandCredit(set, remaining, sign);
      ++visits;
      if (remaining == 0) break;
      set->MovePrevious();
    }
  }

  const int32_t written = SaveNetDemandCredit(set, cn);
  if (written != visits) throw com::Error(kNetDemandCountMismatch, XMLRSData::GetResText("Z7.MOM.1013064"));
}

RecordsetRef GetAtoNetDemand(int32_t moDId, bool IsDel, int32_t PartId, com::Date DueDate, uint8_t SoType,
                             int32_t SoDId, bool OrdFlag, ConnectionRef& cn) {
  com::Ptr<ado::Command> cmd = ado::Command::Create();
  cmd->SetActiveConnection(cn);
  cmd->command_text = "Usp_MP_GetATONetDemand";
  cmd->command_type = ado::adCmdStoredProc;
  ado::Parameters& params = cmd->parameters();
  params.Append(cmd->CreateParameter("Return", ado::adInteger, ado::adParamReturnValue, 0));
  params.Append(cmd->CreateParameter("MoDId", ado::adInteger, ado::adParamInput, 0));
  params.Append(cmd->CreateParameter("IsDel", ado::adBoolean, ado::adParamInput, 0));
  params.Append(cmd->CreateParameter("PartId", ado::adInteger, ado::adParamInput, 0));
  params.Append(cmd->CreateParameter("DueDate", ado::adDate, ado::adParamInput, 0));
  params.Append(cmd->CreateParameter("SoType", ado::adTinyInt, ado::adParamInput, 0));
  params.Append(cmd->CreateParameter("SoDId", ado::adInteger, ado::adParamInput, 0));
  params.Append(cmd->CreateParameter("OrdFlag", ado::adBoolean, ado::adParamInput, 0));
  (*cmd)["MoDId"] = com::Variant(moDId);
  (*cmd)["IsDel"] = com::Variant(IsDel);
  (*cmd)["PartId"] = com::Variant(PartId);
  (*cmd)["DueDate"] = com::Variant(DueDate);
  (*cmd)["SoType"] = com::Variant(SoType);
  (*cmd)["SoDId"] = com::Variant(SoDId);
  (*cmd)["OrdFlag"] = com::Variant(OrdFlag);

  RecordsetRef set = ado::Recordset::Create();
  set->SetCursorLocation(ado::adUseClient);
  set->Open(cmd.get(), ado::adOpenStatic, ado::adLockBatchOptimistic, -1);
  return set;
}

void SpreadNetDemandCredit(RecordsetRef& set, double& remaining, int16_t sign) {
  const double balance = (*set)["BalQty"].Value().ToR8();
  const double credited = (*set)["CrdQty"].Value().ToR8();
  if (remaining > balance) {
    (*set)["CrdQty"].SetValue(com::Variant(credited + sign * balance));
    remaining -= balance;
  } else {
    (*set)["CrdQty"].SetValue(com::Variant(credited + sign * remaining));
    remaining = 0;
  }
}

int32_t SaveNetDemandCredit(RecordsetRef& set, ConnectionRef& cn) {
  com::Ptr<ado::Command> cmd = ado::Command::Create();
  cmd->SetActiveConnection(cn);
  cmd->command_text =
      "update mps_netdemand set crdqty = ?, ModifyFlag = 1 where DemandId = ? and "
      "CONVERT(CHAR,Convert(MONEY,Krts),2) = ?";
  cmd->command_type = ado::adCmdText;
  com::Ptr<ado::Parameter> crd = cmd->CreateParameter("CrdQty", ado::adDecimal, ado::adParamInput, 0);
  crd->precision = 28;
  crd->numeric_scale = 6;
  cmd->parameters().Append(crd);
  cmd->parameters().Append(cmd->CreateParameter("DemandId", ado::adInteger, ado::adParamInput, 0));
  cmd->parameters().Append(cmd->CreateParameter("Krts", ado::adChar, ado::adParamInput, 30));

  int32_t count = 0;
  set->MoveFirst();
  for (; !set->Eof(); set->MoveNext()) {
    if (set->EditMode() != ado::adEditInProgress) continue;
    (*cmd)["CrdQty"] = (*set)["CrdQty"].Value();
    (*cmd)["DemandId"] = (*set)["DemandId"].Value();
    (*cmd)["Krts"] = (*set)["Krts"].Value();
    int64_t affected = 0;
    cmd->Execute(&affected, ado::adExecuteNoRecords);
    count += static_cast<int32_t>(affected);
  }
  return count;
}

}  // namespace mom::mogen
