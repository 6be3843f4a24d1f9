#pragma once
// Type information of _clsMOM: the eleven operations in slot order with their dispatch
// ids, parameter names, types, passing and optional defaults. Late-bound calls are
// prepared from it.

#include "platform/com/type_info.h"

namespace mom {

// Dispatch id of the first operation; the others follow in slot order.
inline constexpr com::DispId kFirstDispId = 0x60030000;

const com::TypeInfo& ClsMomTypeInfo();

}  // namespace mom
