#pragma once
// The composite write-backs: they decide which single write-backs a reported quantity
// needs and call them through the object's own public interface, so every inner call
// is a complete trapping call that reports through ErrMsg and its result. Errors of
// their own steps (the queries of MoQtyWrB) are not trapped.

#include <cstdint>
#include <string>

#include "component/cls_mom_interface.h"

namespace mom::writeback {

// The business type as the material-issue write-back wants it: a product receipt
// becomes a material issue; anything else passes unchanged.
std::string TranslateForMaterialIssue(const std::string& cBusType);

VariantBool MoQtyWrB(_clsMOM& self, int32_t& iMoDId, VariantBool bBPFlag, double& fNetChgQty,
                     std::string& cBusType, ConnectionRef& oConn, std::string& ErrMsg, std::string& Krts,
                     com::Date& CurDate, VariantBool& isChk);

VariantBool MoQtyWrBfromQc(_clsMOM& self, int32_t& iCompletedId, int32_t& iMoAllocateId, double& fNetChgQty,
                           std::string& cBusType, ConnectionRef& oConn, std::string& ErrMsg, VariantBool& isChk);

}  // namespace mom::writeback
