#include "material/stock_pull.h"

#include "platform/com/error.h"

namespace mom::material {

bool STPullfromMORM(ObjectRef&, int32_t, double, double&) {
  throw com::Error(com::kErrAutomation, "此功能在本版本中尚未提供");
}

bool STPullfromMORP(ObjectRef&, int32_t, double, double&) {
  throw com::Error(com::kErrAutomation, "此功能在本版本中尚未提供");
}

}  // namespace mom::material
