#pragma once
// "MomSuite.CurrentLogin": the login of the host process, for the suite's servers that
// receive no connection of their own (EcnApplyServer). The host, or a component acting
// for it, puts the login's connection string (KrDbName) before calling such a server.
//
// The state is the process's environment variable MOM_LOGIN_DB, so that a host may also
// set it before it starts (MOM_LOGIN_DB=... host) and a component that cannot reach the
// suite's code may set it directly; every instance reads and writes the same value.

#include <string>

#include "platform/com/automation_object.h"

namespace suite {

inline constexpr com::Guid kClsidCurrentLogin{
    0x3F6A1C52, 0x9D4E, 0x4B7A, {0x8E, 0x21, 0x5C, 0x0D, 0x77, 0x3A, 0x9B, 0x14}};
inline constexpr char kProgIdCurrentLogin[] = "MomSuite.CurrentLogin";
inline constexpr char kCurrentLoginVariable[] = "MOM_LOGIN_DB";

// The connection string set last; empty when no host has set one.
std::string CurrentLoginConnectionString();
void SetCurrentLoginConnectionString(std::string connection_string);

// KrDbName: property get/put of the process-wide connection string.
class CurrentLogin : public com::AutomationObject {
 public:
  CurrentLogin();
};

}  // namespace suite
