#pragma once
// MO generation from demand lines: the sales-order path ("SA") and the external-order
// path (anything else).

#include <string>

#include "component/cls_mom_interface.h"

namespace mom::mogen {

// The whole operation, with its own trap: an error ends the call with the result
// false and ErrMsg as the path left it.
VariantBool PushMoFromSo(ObjectRef& ClsLogin, std::string& MoCode, RecordsetRef& SoRs, std::string& ErrMsg,
                         const std::string& cFrom);

}  // namespace mom::mogen
