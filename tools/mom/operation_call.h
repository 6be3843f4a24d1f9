#pragma once
// One late-bound call of a clsMOM operation from named arguments, as the console
// (`mom call`) and the service (`mom serve`) make it, and the call's outcome as the
// JSON object both answer with: {"result": ..., then every by-reference argument}.
//
//   OperationCall call(mom, "MoRoutingWrB");             // UsageError: no such operation
//   call.Assign("MoRoutingDId", parser);                 // UsageError: unknown, twice, bad value
//   call.SupplyHostArguments({open_connection, login});  // UsageError: a required one missing
//   Json outcome = call.Outcome(call.Invoke());          // com::Error: an error status
//
// Names of operations and arguments are matched without regard to case.

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/ado/connection.h"
#include "platform/com/dispatch.h"
#include "platform/com/error.h"
#include "platform/com/type_info.h"
#include "tools/mom/json_values.h"

namespace mom_console {

class OperationCall {
 public:
  // Turns an argument's value into a value of the parameter's type; raises UsageError
  // naming the parameter when it cannot.
  using ValueParser = std::function<com::Variant(const com::ParamDesc&)>;

  // What the host supplies for the arguments that callers never give. Each is called
  // at most once, and only when the operation takes such an argument.
  struct HostArguments {
    std::function<com::Ptr<ado::Connection>()> connection;  // oConn, cn
    std::function<com::Ptr<com::IDispatch>()> login;        // ClsLogin
  };

  // Raises UsageError listing the operations when `mom` has none called `operation`.
  OperationCall(com::Ptr<com::IDispatch> mom, std::string_view operation);

  const com::FuncDesc& func() const { return *func_; }

  // Gives the argument `name` the value `parse` makes of it. UsageError for a name the
  // operation does not take or one given twice.
  void Assign(std::string_view name, const ValueParser& parse);

  // Whether the operation takes a connection, which the host supplies.
  bool TakesConnection() const;

  // Supplies the host's arguments and starts the arguments that the operation only
  // writes empty; raises UsageError naming the first required argument still missing.
  void SupplyHostArguments(const HostArguments& host);

  // Calls the operation: arguments not given are not passed, so optional ones take
  // their declared defaults. Raises com::Error when it ends with an error status.
  com::Variant Invoke();

  // {"result": result, then each by-reference argument as the call left it}. A
  // recordset the caller gave appears whole only with `echo_given_recordsets`, else as
  // {"records": N}: ten thousand demand lines need not come back to who sent them.
  Json Outcome(const com::Variant& result, bool echo_given_recordsets = true) const;

  // The value of the argument `name` as it stands (after Invoke, as the operation left
  // it); null when the operation has no such argument or it was not passed.
  const com::Variant* Value(std::string_view name) const;

  // The arguments the caller gave, by their declared names in parameter order: what
  // makes two requests the same call. Meant for before Invoke, which may change them.
  Json GivenArguments() const;

 private:
  com::Ptr<com::IDispatch> mom_;
  const com::FuncDesc* func_ = nullptr;
  std::vector<com::Variant> values_;
  std::vector<bool> given_;      // passed to the operation
  std::vector<bool> by_caller_;  // given by the caller rather than the host
};

// {"error": {"number": N, "description": "..."}}: an error status as both answer it.
Json ErrorJson(const com::Error& error);

}  // namespace mom_console
