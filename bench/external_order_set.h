#pragma once
// The external orders that the external-path growth benchmarks turn into MOs, the same
// on every provider: orders BEX00000.. of four lines each, alternating FG001 and FG002
// in red / 26 inch, with ids above the sample company's. A run over them is one
// transaction, so its time per line must not grow with the number of lines.

#include <string>
#include <vector>

#include "platform/ado/connection.h"
#include "platform/ado/recordset.h"
#include "platform/com/dispatch.h"

namespace mom_bench {

inline constexpr int kExternalLinesPerOrder = 4;

// Adds orders for `lines` lines (a multiple of four) to the database.
void LoadExternalOrders(ado::Connection* conn, int lines);
// The codes of the orders that hold `lines` lines.
std::vector<std::string> ExternalOrderCodes(int lines);

// PushMoFromSo with cFrom "EX" for the first `lines` lines, made late-bound as the
// external-order module makes it. Constructing it reads the demand lines (set-up, not
// timed); Run generates.
class PushMoFromExternalCall {
 public:
  PushMoFromExternalCall(const std::string& connection_string, int lines);
  // False with the run's message in `error` when the run failed.
  bool Run(std::string& error);

 private:
  com::Ptr<com::IDispatch> mom_;
  com::Ptr<com::IDispatch> login_;
  com::Ptr<ado::Recordset> lines_;
};

}  // namespace mom_bench
