#include "bench/push_mo_call.h"

#include "bench/sales_order_set.h"
#include "platform/ado/connection.h"
#include "platform/com/creation.h"
#include "suite/demand_lines.h"

namespace mom_bench {

PushMoFromSoCall::PushMoFromSoCall(const std::string& connection_string, int orders)
    : mom_(com::CreateObject("KRZ7DEVUZIda.clsMOM")), login_(com::CreateObject("MomSuite.Login")) {
  com::Ptr<ado::Connection> conn = ado::Connection::Create();
  conn->Open(connection_string);
  lines_ = suite::SalesDemandLines(conn.get(), SalesOrderCodes(orders));
  com::PutProperty(login_.get(), "KrDbName", connection_string);
  com::PutProperty(login_.get(), "cUserId", "bench");
  com::PutProperty(login_.get(), "cAcc_Id", "001");
}

bool PushMoFromSoCall::Run(std::string& error) {
  com::Variant login(login_), code{std::string()},
      lines(com::Ptr<com::IUnknown>(static_cast<com::IUnknown*>(lines_.get()))), message{std::string()};
  com::Variant args[] = {com::Variant::Ref(&login), com::Variant::Ref(&code), com::Variant::Ref(&lines),
                         com::Variant::Ref(&message)};
  if (com::CallByName(mom_.get(), "PushMoFromSo", args).ToBool()) return true;
  error = message.ToString();
  return false;
}

}  // namespace mom_bench
