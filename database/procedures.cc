#include <mutex>

#include "database/manufacturing_db.h"
#include "database/procedures_internal.h"

namespace database {

void RegisterProcedures() {
  static std::once_flag once;
  std::call_once(once, [] {
    RegisterOrderProcedures();
    RegisterShopFloorProcedures();
    RegisterBackflushProcedures();
    RegisterGenerationProcedures();
  });
}

}  // namespace database
