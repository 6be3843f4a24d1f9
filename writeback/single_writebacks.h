#pragma once
// The single quantity write-backs. Each runs its stored procedure on the caller's
// connection, inside the caller's transaction, and raises on failure (an unaccepted
// business type, a result code of the procedure, a provider error); the class's
// operations trap that into result false and ErrMsg.

#include <cstdint>
#include <string>

#include "platform/ado/connection.h"
#include "platform/com/date.h"
#include "platform/com/ptr.h"

namespace mom::writeback {

// Error number raised for a business type that the write-back does not accept.
inline constexpr int32_t kErrUnacceptedBusinessType = 327;

// Operation-move line: "Usp_SF_UpdOpTransformDecQty". The business type is not read.
void OpMoveQtyWrB(int32_t iOpMdId, double fNetChgQty, const com::Ptr<ado::Connection>& oConn,
                  const std::string& Krts);

// Routing line: "Usp_SF_UpdMRoutingQty", always type code 6.
void MoRoutingWrB(int32_t MoRoutingDId, double fNetChgQty, const com::Ptr<ado::Connection>& oConn,
                  const std::string& Krts);

// Order line receipt ("产品入库", type 1) or inspection ("产品检验", type 2): "Usp_MO_UpdMoQty".
void MoInQtyWrB(int32_t iMoDId, double fNetChgQty, const std::string& cBusType,
                const com::Ptr<ado::Connection>& oConn, const std::string& Krts, com::Date CurDate, bool isChk);

// Allocation issue ("生产领料", type 1) or inspection ("产品检验", type 2):
// "Usp_MO_UpdMoAllocateTxQty", with a 300-second timeout.
void MORMOutQtyWrB(int32_t MoAllocateId, double fNetChgQty, const std::string& cBusType, bool bChk,
                   const com::Ptr<ado::Connection>& oConn, const std::string& Krts);

}  // namespace mom::writeback
