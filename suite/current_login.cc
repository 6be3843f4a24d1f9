#include "suite/current_login.h"

#include <cstdlib>
#include <mutex>

namespace suite {

namespace {

std::mutex& Lock() {
  static std::mutex lock;
  return lock;
}

}  // namespace

std::string CurrentLoginConnectionString() {
  std::lock_guard guard(Lock());
  const char* value = std::getenv(kCurrentLoginVariable);
  return value ? value : "";
}

void SetCurrentLoginConnectionString(std::string connection_string) {
  std::lock_guard guard(Lock());
  ::setenv(kCurrentLoginVariable, connection_string.c_str(), 1);
}

CurrentLogin::CurrentLogin() : AutomationObject("ICurrentLogin") {
  // One member serves both directions, as the login object's: a put passes the value.
  AddMember({"KrDbName", 0, com::InvokeKind::PropertyGet,
             {com::OptParam("value", com::VarType::Variant, com::Variant::Missing(), false)}, com::VarType::Variant},
            [](std::span<com::Variant> args) {
              if (!args[0].is_missing()) SetCurrentLoginConnectionString(args[0].ToString());
              return com::Variant(CurrentLoginConnectionString());
            });
}

}  // namespace suite
