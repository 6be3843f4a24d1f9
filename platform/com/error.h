#pragma once
// The runtime's error: an automation error number with its description, as VB-style
// code raises it. Interface methods never let it escape; they turn it into a status
// plus error info (see error_info.h).

#include <cstdint>
#include <stdexcept>
#include <string>

namespace com {

class Error : public std::runtime_error {
 public:
  Error(int32_t number, std::string description, std::string source = {});
  ~Error() override;

  int32_t number() const { return number_; }
  const std::string& description() const { return description_; }
  const std::string& source() const { return source_; }

 private:
  int32_t number_;
  std::string description_;
  std::string source_;
};

// Run-time errors with their standard numbers and English descriptions.
inline constexpr int32_t kErrInvalidCall = 5;
inline constexpr int32_t kErrOverflow = 6;
inline constexpr int32_t kErrDivisionByZero = 11;
inline constexpr int32_t kErrTypeMismatch = 13;
inline constexpr int32_t kErrInvalidUseOfNull = 94;
inline constexpr int32_t kErrCannotCreateObject = 429;
inline constexpr int32_t kErrObjectRequired = 424;
inline constexpr int32_t kErrNoSuchMember = 438;
inline constexpr int32_t kErrAutomation = 440;
inline constexpr int32_t kErrArgumentNotOptional = 449;
inline constexpr int32_t kErrWrongArgumentCount = 450;

// The standard description of a run-time error number ("Overflow", ...); "Application-defined
// or object-defined error" for numbers without one.
std::string StandardDescription(int32_t number);
// Raises run-time error `number` with its standard description.
[[noreturn]] void Raise(int32_t number);
[[noreturn]] void Raise(int32_t number, std::string description, std::string source = {});

}  // namespace com
