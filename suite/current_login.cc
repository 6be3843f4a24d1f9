#include "suite/current_login.h"

#include <mutex>

namespace suite {

namespace {

std::mutex& Lock() {
  static std::mutex lock;
  return lock;
}

std::string& Value() {
  static std::string value;
  return value;
}

}  // namespace

std::string CurrentLoginConnectionString() {
  std::lock_guard guard(Lock());
  return Value();
}

void SetCurrentLoginConnectionString(std::string connection_string) {
  std::lock_guard guard(Lock());
  Value() = std::move(connection_string);
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
