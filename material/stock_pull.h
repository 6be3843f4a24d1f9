#pragma once
// Stock pull: converts between the quantity of one component of an order line (an
// allocation) and the quantity of the line's product, on a connection opened from the
// caller's login object. Both only read.

#include <cstdint>

#include "component/cls_mom_interface.h"

namespace mom::material {

// Product quantity that the component quantity PQty corresponds to. False, with CQty
// untouched, when the allocation (or its order line) does not exist. Raises on errors.
bool STPullfromMORM(ObjectRef& ClsLogin, int32_t MoAllocateId, double PQty, double& CQty);

// Product quantity that the component quantity SQty covers, limited to what the
// allocation still needs. False, with PQty untouched, when there is no such allocation.
bool STPullfromMORP(ObjectRef& ClsLogin, int32_t MoAllocateId, double SQty, double& PQty);

}  // namespace mom::material
