#include "mogen/push_mo.h"

namespace mom::mogen {

VariantBool PushMoFromSo(ObjectRef&, std::string&, RecordsetRef&, std::string& ErrMsg, const std::string&) {
  ErrMsg += "此功能在本版本中尚未提供";
  return kVariantFalse;
}

}  // namespace mom::mogen
