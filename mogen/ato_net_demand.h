#pragma once
// Crediting the net demand of assemble-to-order items with the quantity of a new MO.
// Works on the caller's connection inside its transaction and traps nothing: a
// failure is a raised error, and what was written before it is the caller's to undo.

#include <cstdint>

#include "component/cls_mom_interface.h"
#include "platform/com/date.h"

namespace mom::mogen {

// Error number when the rows written differ from the rows credited (a row changed
// since it was read, or a row credited in both passes).
inline constexpr int32_t kNetDemandCountMismatch = static_cast<int32_t>(0x80040065u);

// Spreads Qty over the rows that Usp_MP_GetATONetDemand offers for the demand line:
// forward while Seq is not 3 (Seq 2 rescales the rest by its Factor, rounded to the
// quantity decimals, halves to even), then backwards from the last row when a Seq 3
// row stopped the forward pass; writes the changed rows with a token check.
void CreditAtoNetDemand(int32_t moDId, double Qty, bool IsDel, int32_t PartId, com::Date DueDate, uint8_t SoType,
                        int32_t SoDId, bool OrdFlag, ConnectionRef& cn);

// The rows as a static client-side set with batch-optimistic locking, so that changed
// rows stay marked until they are written.
RecordsetRef GetAtoNetDemand(int32_t moDId, bool IsDel, int32_t PartId, com::Date DueDate, uint8_t SoType,
                             int32_t SoDId, bool OrdFlag, ConnectionRef& cn);

// Credits the current row from `remaining` (at most its BalQty), sign -1 takes back.
void SpreadNetDemandCredit(RecordsetRef& set, double& remaining, int16_t sign);

// Writes every changed row (crdqty, ModifyFlag 1) where its token still matches; the
// number of rows written.
int32_t SaveNetDemandCredit(RecordsetRef& set, ConnectionRef& cn);

}  // namespace mom::mogen
