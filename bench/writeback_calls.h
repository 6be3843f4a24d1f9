#pragma once
// The write-back calls the benchmarks time, made late-bound on a component object
// exactly as a host makes them, on a connection of either provider. The token is left
// empty, so a call is accepted whatever the row's version.

#include <string>

#include "platform/ado/connection.h"
#include "platform/com/late_binding.h"
#include "platform/com/variant.h"

namespace mom_bench {

// MoRoutingWrB: a finished quantity reported at one routing line.
class MoRoutingWrBCall {
 public:
  MoRoutingWrBCall(const com::Ptr<ado::Connection>& conn, int routing_line_id, double qty);
  // False with the component's message in `error` when the call was refused.
  bool Run(std::string& error);

 private:
  com::Ptr<com::IDispatch> mom_;
  com::Variant id_, qty_, conn_, error_, token_;
};

// MoQtyWrB: a product receipt on an order line, routed through its last operations
// when the line is under shop-floor control.
class MoQtyWrBCall {
 public:
  MoQtyWrBCall(const com::Ptr<ado::Connection>& conn, int order_line_id, double qty);
  bool Run(std::string& error);

 private:
  com::Ptr<com::IDispatch> mom_;
  com::Variant line_, by_product_, qty_, bus_type_, conn_, error_, token_;
};

}  // namespace mom_bench
