#include "writeback/composite_writebacks.h"

#include "platform/ado/recordset.h"
#include "platform/com/error.h"
#include "platform/com/error_info.h"
#include "shared/xml_rs_data.h"

namespace mom::writeback {

namespace {

constexpr char kProductReceipt[] = "产品入库";
constexpr char kProductInspection[] = "产品检验";
constexpr char kMaterialIssue[] = "生产领料";

// Inner calls go through the public interface; a failed status there (not expected
// from a trapping operation) is raised as this call's own error.
void Check(com::HResult hr) {
  if (com::Failed(hr)) {
    auto info = com::TakeErrorInfo();
    throw com::Error(info ? info->number : com::ErrorNumberFromStatus(hr),
                     info ? info->description : com::StandardDescription(com::kErrAutomation));
  }
}

}  // namespace

std::string TranslateForMaterialIssue(const std::string& cBusType) {
  return cBusType == kProductReceipt ? kMaterialIssue : cBusType;
}

VariantBool MoQtyWrB(_clsMOM& self, int32_t& iMoDId, VariantBool bBPFlag, double& fNetChgQty,
                     std::string& cBusType, ConnectionRef& oConn, std::string& ErrMsg, std::string& Krts,
                     com::Date& CurDate, VariantBool& isChk) {
  VariantBool result = kVariantFalse;
  if (bBPFlag) {
    // For a by-product line the identifier is the allocation's.
    std::string bus_type = TranslateForMaterialIssue(cBusType);
    Check(self.MORMOutQtyWrB(&iMoDId, &fNetChgQty, &bus_type, &isChk, &oConn, &ErrMsg, &Krts, &result));
    return result;
  }

  com::Ptr<ado::Recordset> rs = ado::Recordset::Create();
  rs->SetCursorLocation(ado::adUseClient);
  rs->Open("select SfcFlag from mom_orderdetail where MoDId = " + std::to_string(iMoDId), oConn.get());
  com::Variant sfc_flag = rs->fields().Item("SfcFlag").Value();
  if (sfc_flag.is_null() || !sfc_flag.ToBool()) {
    Check(self.MoInQtyWrB(&iMoDId, &fNetChgQty, &cBusType, &oConn, &Krts, &ErrMsg, &CurDate, &isChk, &result));
    return result;
  }

  rs->Close();
  rs->Open(
      "select b.MoRoutingDId, convert(char,convert(money,b.Krts),2) as Krts from sfc_morouting a, "
      "sfc_moroutingdetail b where a.MoRoutingId = b.MoRoutingId and b.LastFlag = 1 and a.MoDId = " +
          std::to_string(iMoDId),
      oConn.get());
  // A routing may hold more than one last operation, and the statement leaves their
  // order to the database: the lines are written in the order of their keys, as the
  // server's clustered key gives them, whichever database holds them.
  rs->SetSort("MoRoutingDId");
  if (rs->Eof()) {
    ErrMsg = XMLRSData::GetResText("Z7.Z7M.VBInterface.00100");
    return result;
  }
  const bool inspection = cBusType == kProductInspection;
  while (!rs->Eof()) {
    if (!inspection) {
      int32_t routing_id = rs->fields().Item("MoRoutingDId").Value().ToI4();
      std::string routing_token = rs->fields().Item("Krts").Value().ToString();
      Check(self.MoRoutingWrB(&routing_id, &fNetChgQty, &oConn, &ErrMsg, &routing_token, &result));
      if (!result) return result;
    }
    Check(self.MoInQtyWrB(&iMoDId, &fNetChgQty, &cBusType, &oConn, &Krts, &ErrMsg, &CurDate, &isChk, &result));
    rs->MoveNext();
  }
  return result;
}

VariantBool MoQtyWrBfromQc(_clsMOM& self, int32_t& iCompletedId, int32_t& iMoAllocateId, double& fNetChgQty,
                           std::string& cBusType, ConnectionRef& oConn, std::string& ErrMsg, VariantBool& isChk) {
  VariantBool result = kVariantFalse;
  std::string no_token;
  if (iMoAllocateId > 0) {
    std::string bus_type = TranslateForMaterialIssue(cBusType);
    Check(self.MORMOutQtyWrB(&iMoAllocateId, &fNetChgQty, &bus_type, &isChk, &oConn, &ErrMsg, &no_token, &result));
  } else if (iCompletedId > 0) {
    // Inspection of a finished line always asks the receipt write-back to check.
    com::Date zero_date{0};
    VariantBool check = kVariantTrue;
    Check(self.MoInQtyWrB(&iCompletedId, &fNetChgQty, &cBusType, &oConn, &no_token, &ErrMsg, &zero_date, &check,
                          &result));
  }
  return result;
}

}  // namespace mom::writeback
