#include "material/backflush.h"

namespace mom::material {

VariantBool GetBFRds(ConnectionRef&, int32_t, double, RecordsetRef&, std::string& ErrMsg) {
  ErrMsg = "此功能在本版本中尚未提供";
  return kVariantFalse;
}

}  // namespace mom::material
