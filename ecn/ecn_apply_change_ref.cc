#include "ecn/ecn_apply_change_ref.h"

#include "platform/com/error.h"

namespace mom::ecn {

int32_t EcnApplyChangeRef(ObjectRef&, int16_t, ConnectionRef&, int32_t&, std::string&, int32_t&) {
  throw com::Error(com::kErrAutomation, "此功能在本版本中尚未提供");
}

}  // namespace mom::ecn
