#include "bench/writeback_calls.h"

#include "platform/com/creation.h"

namespace mom_bench {

namespace {

com::Variant ConnectionArg(const com::Ptr<ado::Connection>& conn) {
  return com::Variant(com::Ptr<com::IUnknown>(static_cast<com::IUnknown*>(conn.get())));
}

}  // namespace

MoRoutingWrBCall::MoRoutingWrBCall(const com::Ptr<ado::Connection>& conn, int routing_line_id, double qty)
    : mom_(com::CreateObject("KRZ7DEVUZIda.clsMOM")),
      id_(routing_line_id),
      qty_(qty),
      conn_(ConnectionArg(conn)),
      error_(""),
      token_("") {}

bool MoRoutingWrBCall::Run(std::string& error) {
  com::Variant args[] = {com::Variant::Ref(&id_), com::Variant::Ref(&qty_), conn_, com::Variant::Ref(&error_),
                         com::Variant::Ref(&token_)};
  if (com::CallByName(mom_.get(), "MoRoutingWrB", args).ToBool()) return true;
  error = error_.ToString();
  return false;
}

MoQtyWrBCall::MoQtyWrBCall(const com::Ptr<ado::Connection>& conn, int order_line_id, double qty)
    : mom_(com::CreateObject("KRZ7DEVUZIda.clsMOM")),
      line_(order_line_id),
      by_product_(false),
      qty_(qty),
      bus_type_("产品入库"),
      conn_(ConnectionArg(conn)),
      error_(""),
      token_("") {}

bool MoQtyWrBCall::Run(std::string& error) {
  com::Variant args[] = {com::Variant::Ref(&line_),
                         com::Variant::Ref(&by_product_),
                         com::Variant::Ref(&qty_),
                         com::Variant::Ref(&bus_type_),
                         conn_,
                         com::Variant::Ref(&error_),
                         com::Variant::Ref(&token_)};
  if (com::CallByName(mom_.get(), "MoQtyWrB", args).ToBool()) return true;
  error = error_.ToString();
  return false;
}

}  // namespace mom_bench
