#include "suite/current_login.h"

#include <cstdlib>

#include "platform/com/error.h"

namespace suite {

namespace {

// The environment as the process found it: read at the first use, never written, so
// that no thread's login (password and all) reaches the environment or a child process.
const std::string& StartingDefault() {
  static const std::string value = [] {
    const char* text = std::getenv(kCurrentLoginVariable);
    return std::string(text ? text : "");
  }();
  return value;
}

}  // namespace

std::string CurrentLoginConnectionString() {
  com::Variant own = com::ThreadValue(kCurrentLoginValue);
  return own.is_empty() ? StartingDefault() : own.ToString();
}

void SetCurrentLoginConnectionString(std::string connection_string) {
  const std::string previous = CurrentLoginConnectionString();
  com::SetThreadValue(kCurrentLoginValue, com::Variant(connection_string));
  if (previous != connection_string) com::SetThreadValue(LoginConnectionValue(previous), com::Variant());
}

com::Ptr<ado::Connection> CurrentLoginConnection() {
  const std::string login = CurrentLoginConnectionString();
  if (login.empty())
    throw com::Error(com::kErrAutomation, "没有当前登录：宿主未设置当前登录的 KrDbName", "MomSuite.CurrentLogin");
  const std::string name = LoginConnectionValue(login);
  if (com::Variant shared = com::ThreadValue(name); !shared.is_empty()) return shared.ToObject<ado::Connection>();
  com::Ptr<ado::Connection> conn = ado::Connection::Create();
  conn->Open(login);
  com::SetThreadValue(name, com::Variant(com::Ptr<com::IUnknown>(static_cast<com::IUnknown*>(conn.get()))));
  return conn;
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
