#pragma once
// Errors the console reports with its exit codes: a usage error (exit 2) names what
// the user has to change; anything else that stops a command exits 1.

#include <stdexcept>
#include <string>

namespace mom_console {

inline constexpr int kExitOk = 0;
inline constexpr int kExitFailure = 1;
inline constexpr int kExitUsage = 2;
inline constexpr int kExitOperationError = 3;

class UsageError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

}  // namespace mom_console
