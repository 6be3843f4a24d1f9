#pragma once
// The backflush issue lines of an order line for a finished quantity, as the fixed
// bill list that callers build their issue documents from.

#include <cstdint>
#include <string>

#include "component/cls_mom_interface.h"

namespace mom::material {

// The whole operation: creating the empty bill list is not trapped (it raises); the
// procedure call and its result are trapped into result false and ErrMsg, leaving
// BillListRs as given; from the copy on nothing fails.
VariantBool GetBFRds(ConnectionRef& oConn, int32_t moDId, double NetChgQty, RecordsetRef& BillListRs,
                     std::string& ErrMsg);

}  // namespace mom::material
