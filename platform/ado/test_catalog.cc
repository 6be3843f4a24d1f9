// Gives a test program of the data layer the application catalog a program linking the
// manufacturing database has (ado_test_support.h).
#include "platform/ado/ado_test_support.h"

namespace {

[[maybe_unused]] const bool catalog_set = [] {
  ado::SetApplicationCatalog(ado_test::ManufacturingLikeCatalog());
  return true;
}();

}  // namespace
