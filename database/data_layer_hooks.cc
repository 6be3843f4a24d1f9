#include "database/data_layer_hooks.h"

#include <mutex>
#include <string>

#include "database/manufacturing_db.h"

namespace database {

ado::ApplicationCatalog ManufacturingCatalog() {
  ado::ApplicationCatalog catalog;
  catalog.spelling_table = std::string(kSpellingTable);
  // Columns of the schema named by a word PostgreSQL reserves; its schema quotes them.
  catalog.reserved_columns = {"OffSet"};
  return catalog;
}

void RegisterWithDataLayer() {
  static std::once_flag once;
  std::call_once(once, [] { ado::SetApplicationCatalog(ManufacturingCatalog()); });
  RegisterProcedures();
}

namespace {
// Programs that link this library find the procedures and the catalog without calling
// anything.
const struct Registrar {
  Registrar() { RegisterWithDataLayer(); }
} registrar;
}  // namespace

}  // namespace database
