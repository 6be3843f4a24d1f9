#include "suite/login.h"

namespace suite {

Login::Login() : AutomationObject("ILogin") {
  AddProperty("KrDbName");
  AddProperty("cUserId");
  AddProperty("cAcc_Id");
}

void Login::AddProperty(const char* name) {
  values_[name] = com::Variant(std::string());
  // One member serves both directions: a put passes the new value, a get none.
  AddMember({name, 0, com::InvokeKind::PropertyGet,
             {com::OptParam("value", com::VarType::Variant, com::Variant::Missing(), false)}, com::VarType::Variant},
            [this, key = std::string(name)](std::span<com::Variant> args) {
              if (!args[0].is_missing()) values_[key] = args[0].Value();
              return values_[key];
            });
}

}  // namespace suite
