#include "platform/ado/types.h"

namespace ado {

bool IsTextType(DataType t) {
  switch (t) {
    case adBSTR:
    case adChar:
    case adWChar:
    case adVarChar:
    case adLongVarChar:
    case adVarWChar:
    case adLongVarWChar:
      return true;
    default:
      return false;
  }
}

}  // namespace ado
