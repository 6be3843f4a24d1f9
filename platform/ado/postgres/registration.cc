// The PostgreSQL provider under its name, from the moment the data layer is loaded.
#include <string>

#include "platform/ado/postgres/pg_provider.h"
#include "platform/ado/provider.h"

namespace ado::postgres {
namespace {

[[maybe_unused]] const bool registered = [] {
  RegisterProvider(std::string(kProviderName), &OpenPostgresSession);
  return true;
}();

}  // namespace
}  // namespace ado::postgres
