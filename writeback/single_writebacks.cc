#include "writeback/single_writebacks.h"

#include "platform/com/error.h"
#include "shared/writeback_call.h"
#include "shared/xml_rs_data.h"

namespace mom::writeback {

namespace {

constexpr char kProductReceipt[] = "产品入库";
constexpr char kProductInspection[] = "产品检验";
constexpr char kMaterialIssue[] = "生产领料";

// Business types are compared exactly: no trimming, no case folding.
[[noreturn]] void RaiseUnacceptedBusinessType() {
  throw com::Error(kErrUnacceptedBusinessType, XMLRSData::GetResText("Z7.Z7M.VBInterface.00099"));
}

}  // namespace

void OpMoveQtyWrB(int32_t iOpMdId, double fNetChgQty, const com::Ptr<ado::Connection>& oConn,
                  const std::string& Krts) {
  WriteBackCall call("Usp_SF_UpdOpTransformDecQty");
  call.Add("iOpMdId", WriteBackParam::kRowId)
      .Add("fNetChgQty", WriteBackParam::kQuantity)
      .Add("Krts", WriteBackParam::kToken);
  call.Set("iOpMdId", iOpMdId).Set("fNetChgQty", fNetChgQty).Set("Krts", Krts);
  call.Execute(oConn);
}

void MoRoutingWrB(int32_t MoRoutingDId, double fNetChgQty, const com::Ptr<ado::Connection>& oConn,
                  const std::string& Krts) {
  WriteBackCall call("Usp_SF_UpdMRoutingQty");
  call.Add("Type", WriteBackParam::kTypeCode)
      .Add("MoRoutingDId", WriteBackParam::kRowId)
      .Add("fNetChgQty", WriteBackParam::kQuantity)
      .Add("Krts", WriteBackParam::kToken);
  call.Set("Type", uint8_t{6}).Set("MoRoutingDId", MoRoutingDId).Set("fNetChgQty", fNetChgQty).Set("Krts", Krts);
  call.Execute(oConn);
}

void MoInQtyWrB(int32_t iMoDId, double fNetChgQty, const std::string& cBusType,
                const com::Ptr<ado::Connection>& oConn, const std::string& Krts, com::Date CurDate, bool isChk) {
  WriteBackCall call("Usp_MO_UpdMoQty");
  call.Add("Type", WriteBackParam::kTypeCode)
      .Add("iMoDId", WriteBackParam::kRowId)
      .Add("fNetChgQty", WriteBackParam::kQuantity)
      .Add("IsChk", WriteBackParam::kCheckFlag)
      .Add("Krts", WriteBackParam::kToken)
      .Add("CurDate", WriteBackParam::kDate);
  if (cBusType == kProductReceipt)
    call.Set("Type", uint8_t{1});
  else if (cBusType == kProductInspection)
    call.Set("Type", uint8_t{2});
  else
    RaiseUnacceptedBusinessType();
  call.Set("iMoDId", iMoDId).Set("fNetChgQty", fNetChgQty).Set("IsChk", isChk).Set("Krts", Krts).Set("CurDate",
                                                                                                       CurDate);
  call.Execute(oConn);
}

void MORMOutQtyWrB(int32_t MoAllocateId, double fNetChgQty, const std::string& cBusType, bool bChk,
                   const com::Ptr<ado::Connection>& oConn, const std::string& Krts) {
  WriteBackCall call("Usp_MO_UpdMoAllocateTxQty");
  call.Add("Type", WriteBackParam::kTypeCode)
      .Add("MoAllocateId", WriteBackParam::kRowId)
      .Add("fNetChgQty", WriteBackParam::kQuantity)
      .Add("bChk", WriteBackParam::kCheckFlag)
      .Add("Krts", WriteBackParam::kToken);
  if (cBusType == kMaterialIssue)
    call.Set("Type", uint8_t{1});
  else if (cBusType == kProductInspection)
    call.Set("Type", uint8_t{2});
  else
    RaiseUnacceptedBusinessType();
  call.SetTimeout(300);
  call.Set("MoAllocateId", MoAllocateId).Set("fNetChgQty", fNetChgQty).Set("bChk", bChk).Set("Krts", Krts);
  call.Execute(oConn);
}

}  // namespace mom::writeback
