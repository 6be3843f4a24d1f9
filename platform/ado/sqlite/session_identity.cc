#include "platform/ado/sqlite/session_identity.h"

#include <pwd.h>
#include <unistd.h>

#include <cerrno>
#include <vector>

namespace ado::sqlite {

// Looked up once per thread: the account database may be slow to ask, and the
// answer does not change while the program runs.
const std::string& SessionUserName() {
  thread_local const std::string name = [] {
    const uid_t uid = geteuid();
    std::vector<char> buffer(16384);
    passwd entry{};
    passwd* found = nullptr;
    if (getpwuid_r(uid, &entry, buffer.data(), buffer.size(), &found) == 0 && found && found->pw_name)
      return std::string(found->pw_name);
    return std::to_string(uid);
  }();
  return name;
}

const std::string& ApplicationName() {
  thread_local const std::string name = program_invocation_short_name ? program_invocation_short_name : "";
  return name;
}

}  // namespace ado::sqlite
