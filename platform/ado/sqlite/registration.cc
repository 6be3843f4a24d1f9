// The embedded SQLite provider under its name, from the moment the data layer is loaded.
#include <string>

#include "platform/ado/provider.h"
#include "platform/ado/sqlite/sqlite_provider.h"

namespace ado::sqlite {
namespace {

[[maybe_unused]] const bool registered = [] {
  RegisterProvider(std::string(kProviderName), &OpenSqliteSession);
  return true;
}();

}  // namespace
}  // namespace ado::sqlite
