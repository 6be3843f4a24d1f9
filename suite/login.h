#pragma once
// The host's login object: the signed-in user and the open accounting set.
// Members: KrDbName (connection string of the accounting set's database), cUserId,
// cAcc_Id; each readable and writable by name.

#include <map>
#include <string>

#include "platform/com/automation_object.h"

namespace suite {

inline constexpr com::Guid kClsidLogin{0x5B0E2A11, 0x7C3D, 0x4E52, {0x9A, 0x61, 0x2D, 0x3B, 0x84, 0x1F, 0x60, 0x02}};
inline constexpr char kProgIdLogin[] = "MomSuite.Login";

class Login : public com::AutomationObject {
 public:
  Login();

 private:
  void AddProperty(const char* name);
  std::map<std::string, com::Variant> values_;
};

}  // namespace suite
