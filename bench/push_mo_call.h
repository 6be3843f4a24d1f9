#pragma once
// PushMoFromSo for the benchmark's sales orders, made late-bound on a component object
// as the sales module makes it, on a database of either provider. Constructing it reads
// the demand lines and prepares the login (set-up, not timed); Run generates.

#include <string>

#include "platform/ado/recordset.h"
#include "platform/com/late_binding.h"

namespace mom_bench {

class PushMoFromSoCall {
 public:
  PushMoFromSoCall(const std::string& connection_string, int orders);
  // False with the run's messages in `error` when a line was refused.
  bool Run(std::string& error);

 private:
  com::Ptr<com::IDispatch> mom_;
  com::Ptr<com::IDispatch> login_;
  com::Ptr<ado::Recordset> lines_;
};

}  // namespace mom_bench
