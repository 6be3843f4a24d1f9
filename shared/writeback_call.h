#pragma once
// The stored-procedure call that every quantity write-back makes on the caller's
// connection: parameters created in binding order with "Return" first, the business
// type chosen before anything runs, values assigned by name, executed without
// records, and the return value turned into success or an error whose text comes
// from the message table (90000 + k -> message 10000 + k).

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/ado/command.h"
#include "platform/com/ptr.h"

namespace mom {

// Kinds of write-back procedure parameters.
enum class WriteBackParam {
  kRowId,     // adInteger
  kQuantity,  // adDecimal(28,6)
  kTypeCode,  // adTinyInt
  kCheckFlag, // adBoolean
  kToken,     // adVarChar(30)
  kDate,      // adDate
};

class WriteBackCall {
 public:
  explicit WriteBackCall(std::string_view procedure);

  // Appends the next parameter in binding order.
  WriteBackCall& Add(std::string_view name, WriteBackParam kind);
  // Assigns a parameter's value by name.
  WriteBackCall& Set(std::string_view name, com::Variant value);
  WriteBackCall& SetTimeout(int32_t seconds);

  // Binds the command to `connection`, executes it and checks the return value.
  void Execute(const com::Ptr<ado::Connection>& connection);

 private:
  com::Ptr<ado::Command> command_;
  std::string procedure_;
  int32_t timeout_ = -1;
};

// Raises error 10000 + k with its message text when `return_value` is 90000 + k, k >= 1.
void RaiseForResultCode(int32_t return_value);

}  // namespace mom
