#pragma once
// "MomSuite.CurrentLogin": the login of the host, for the suite's servers that receive
// no connection of their own (CommonFunctions, EcnApplyServer). The host, or a
// component acting for it, puts the login's connection string (KrDbName) before
// calling such a server.
//
// The current login belongs to the calling thread: the servers are apartment-threaded,
// and two threads of one host may work for two accounting sets at once. It lives among
// the COM runtime's thread values, which every library of the process shares, so that
// a component sets it with ScopedCurrentLogin below without linking the suite. A thread
// that has set none has the process's starting default: the environment variable
// MOM_LOGIN_DB as the process found it, read once and never written.

#include <string>
#include <string_view>

#include "platform/ado/connection.h"
#include "platform/com/automation_object.h"
#include "platform/com/thread_values.h"

namespace suite {

inline constexpr com::Guid kClsidCurrentLogin{
    0x3F6A1C52, 0x9D4E, 0x4B7A, {0x8E, 0x21, 0x5C, 0x0D, 0x77, 0x3A, 0x9B, 0x14}};
inline constexpr char kProgIdCurrentLogin[] = "MomSuite.CurrentLogin";
inline constexpr char kCurrentLoginVariable[] = "MOM_LOGIN_DB";

// Names of the thread values: the login's connection string, and the connection the
// servers share for it (one per connection string, the name followed by "=" and it).
inline constexpr char kCurrentLoginValue[] = "MomSuite.CurrentLogin.KrDbName";
inline constexpr char kLoginConnectionValue[] = "MomSuite.CurrentLogin.Connection";

inline std::string LoginConnectionValue(std::string_view connection_string) {
  return std::string(kLoginConnectionValue) + "=" + std::string(connection_string);
}

// The calling thread's current login, else the process's starting default; empty when
// there is none.
std::string CurrentLoginConnectionString();

// Makes `connection_string` the calling thread's current login until it is set again
// or the thread ends; the connection shared for the login it replaces is released.
// An empty text leaves the thread without a login, whatever the default.
void SetCurrentLoginConnectionString(std::string connection_string);

// The calling thread's open connection to its current login's database, opened at the
// first use and shared by every server on the thread while the login stays: the reads
// of one generation run cost one session, not one per call. Raises when the thread has
// no current login or the database cannot be opened.
com::Ptr<ado::Connection> CurrentLoginConnection();

// Makes `connection_string` the calling thread's current login for the scope, and puts
// back the login that was there before when it ends; the connection that the servers
// opened for it inside the scope is released with it. Other threads see nothing of it.
class ScopedCurrentLogin {
 public:
  explicit ScopedCurrentLogin(const std::string& connection_string)
      : login_(kCurrentLoginValue, com::Variant(connection_string)),
        connection_(LoginConnectionValue(connection_string)) {}
  ScopedCurrentLogin(const ScopedCurrentLogin&) = delete;
  ScopedCurrentLogin& operator=(const ScopedCurrentLogin&) = delete;

 private:
  com::ScopedThreadValue login_;
  com::ScopedThreadValue connection_;  // released first
};

// KrDbName: property get/put of the calling thread's current login.
class CurrentLogin : public com::AutomationObject {
 public:
  CurrentLogin();
};

}  // namespace suite
