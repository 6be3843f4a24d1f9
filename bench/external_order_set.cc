#include "bench/external_order_set.h"

#include <cstdio>

#include "platform/com/creation.h"
#include "platform/com/late_binding.h"
#include "suite/demand_lines.h"

namespace mom_bench {

namespace {

constexpr int kFirstOrderId = 200000;
// Rows per insert statement: long enough to load quickly, short enough for any server.
constexpr int kOrdersPerStatement = 250;

std::string OrderCode(int order_index) {
  char code[16];
  std::snprintf(code, sizeof code, "BEX%05d", order_index);
  return code;
}

}  // namespace

void LoadExternalOrders(ado::Connection* conn, int lines) {
  const int orders = lines / kExternalLinesPerOrder;
  conn->BeginTrans();
  for (int first = 0; first < orders; first += kOrdersPerStatement) {
    std::string head = "insert into ex_order (id, cCode, dDate) values ";
    std::string detail = "insert into ex_orderdetail (autoid, id, iRowNo, cInvCode, iQuantity, cFree1, cFree2, "
                         "dPreMoDate) values ";
    for (int o = first; o < orders && o < first + kOrdersPerStatement; ++o) {
      const int id = kFirstOrderId + o;
      head += (o > first ? ", (" : "(") + std::to_string(id) + ", '" + OrderCode(o) + "', '2024-05-01 00:00:00')";
      for (int l = 0; l < kExternalLinesPerOrder; ++l) {
        const bool red = l % 2 == 1;
        detail += std::string(o > first || l ? ", (" : "(") + std::to_string(id * 10 + l) + ", " +
                  std::to_string(id) + ", " + std::to_string(l + 1) + (red ? ", 'FG002', " : ", 'FG001', ") +
                  std::to_string(l + 1) + (red ? ", '红色', '26寸'" : ", null, null") + ", '2024-06-01 00:00:00')";
      }
    }
    conn->Execute(head, nullptr, ado::adExecuteNoRecords);
    conn->Execute(detail, nullptr, ado::adExecuteNoRecords);
  }
  conn->CommitTrans();
}

std::vector<std::string> ExternalOrderCodes(int lines) {
  std::vector<std::string> codes;
  for (int o = 0; o < lines / kExternalLinesPerOrder; ++o) codes.push_back(OrderCode(o));
  return codes;
}

PushMoFromExternalCall::PushMoFromExternalCall(const std::string& connection_string, int lines)
    : mom_(com::CreateObject("KRZ7DEVUZIda.clsMOM")), login_(com::CreateObject("MomSuite.Login")) {
  com::Ptr<ado::Connection> conn = ado::Connection::Create();
  conn->Open(connection_string);
  lines_ = suite::ExternalDemandLines(conn.get(), ExternalOrderCodes(lines));
  com::PutProperty(login_.get(), "KrDbName", connection_string);
  com::PutProperty(login_.get(), "cUserId", "bench");
  com::PutProperty(login_.get(), "cAcc_Id", "001");
}

bool PushMoFromExternalCall::Run(std::string& error) {
  com::Variant login(login_), code{std::string()},
      lines(com::Ptr<com::IUnknown>(static_cast<com::IUnknown*>(lines_.get()))), message{std::string()},
      from("EX");
  com::Variant args[] = {com::Variant::Ref(&login), com::Variant::Ref(&code), com::Variant::Ref(&lines),
                         com::Variant::Ref(&message), from};
  // The external path is true whenever it reaches its end; a failure leaves a message.
  const bool ok = com::CallByName(mom_.get(), "PushMoFromSo", args).ToBool();
  if (ok && message.ToString().empty()) return true;
  error = message.ToString();
  return false;
}

}  // namespace mom_bench
