// A host of the component, as the suite's inventory module is one: it saves a product
// receipt of its own and writes it back to the manufacturing-order line with MoQtyWrB
// through the early-bound interface, in one transaction that it commits only when the
// write-back succeeded.
//
//   mom_host_example DB [MODID [QUANTITY]]
//
// DB is a connection string or an SQLite file made by `mom init DB --sample`. Exit
// codes: 0 saved, 1 refused (the message is printed), 2 bad usage, 3 an error.

#include <cstdio>
#include <iostream>
#include <string>

#include "component/cls_mom_interface.h"
#include "component/identity.h"
#include "platform/ado/command.h"
#include "platform/ado/connection.h"
#include "platform/ado/connection_string.h"
#include "platform/ado/recordset.h"
#include "platform/com/creation.h"
#include "platform/com/error.h"
#include "platform/com/error_info.h"

namespace {

// The host's own document table.
constexpr char kReceiptTable[] =
    "create table if not exists rd_receipt (cCode varchar(30) primary key, MoDId int, iQuantity decimal(28,6))";

// The line's received quantity and its token, read as a caller reads them.
struct OrderLine {
  double received = 0;
  std::string krts;
};

OrderLine ReadLine(ado::Connection& conn, int32_t mo_d_id) {
  com::Ptr<ado::Command> cmd = ado::Command::Create();
  cmd->command_text =
      "select QualifiedInQty, convert(char,convert(money,Krts),2) as Krts from mom_orderdetail where MoDId = ?";
  cmd->command_type = ado::adCmdText;
  cmd->parameters().Append(cmd->CreateParameter("MoDId", ado::adInteger, ado::adParamInput, 0, com::Variant(mo_d_id)));
  cmd->SetActiveConnection(com::Ptr<ado::Connection>(&conn));
  com::Ptr<ado::Recordset> rs = cmd->Execute();
  if (rs->Eof()) throw com::Error(1, "no MO line " + std::to_string(mo_d_id));
  return {rs->fields().Item("QualifiedInQty").Value().ToR8(), rs->fields().Item("Krts").Value().ToString()};
}

void SaveReceipt(ado::Connection& conn, const std::string& code, int32_t mo_d_id, double quantity) {
  com::Ptr<ado::Command> cmd = ado::Command::Create();
  cmd->command_text = "insert into rd_receipt (cCode, MoDId, iQuantity) values (?, ?, ?)";
  cmd->command_type = ado::adCmdText;
  cmd->parameters().Append(cmd->CreateParameter("cCode", ado::adVarChar, ado::adParamInput, 30, com::Variant(code)));
  cmd->parameters().Append(cmd->CreateParameter("MoDId", ado::adInteger, ado::adParamInput, 0, com::Variant(mo_d_id)));
  auto qty = cmd->CreateParameter("iQuantity", ado::adDecimal, ado::adParamInput, 0, com::Variant(quantity));
  qty->precision = 28;
  qty->numeric_scale = 6;
  cmd->parameters().Append(qty);
  cmd->SetActiveConnection(com::Ptr<ado::Connection>(&conn));
  cmd->Execute(nullptr, ado::adExecuteNoRecords);
}

int Run(const std::string& db, int32_t mo_d_id, double quantity) {
  com::Ptr<ado::Connection> conn = ado::Connection::Create();
  conn->Open(db.find('=') == std::string::npos ? ado::ConnectionString::ForSqliteFile(db) : db);
  conn->Execute(kReceiptTable, nullptr, ado::adExecuteNoRecords);
  const OrderLine before = ReadLine(*conn, mo_d_id);

  // The class is created through the registry, where the package registered it.
  com::Ptr<mom::_clsMOM> clsmom = com::CreateInstance<mom::_clsMOM>(mom::kClsid);

  conn->BeginTrans();
  char code_text[16];
  std::snprintf(code_text, sizeof code_text, "RK%04d",
                conn->Execute("select count(*) as n from rd_receipt")->fields().Item("n").Value().ToI4() + 1);
  const std::string code = code_text;
  SaveReceipt(*conn, code, mo_d_id, quantity);

  int32_t line = mo_d_id;
  mom::VariantBool by_product = mom::kVariantFalse;
  double qty = quantity;
  std::string bus_type = "产品入库";
  mom::ConnectionRef oconn = conn;
  std::string err_msg;
  std::string krts = before.krts;
  mom::VariantBool result = mom::kVariantFalse;
  com::HResult hr = clsmom->MoQtyWrB(&line, &by_product, &qty, &bus_type, &oconn, &err_msg, &krts,
                                     /*CurDate=*/nullptr, /*isChk=*/nullptr, &result);
  if (com::Failed(hr)) {
    conn->RollbackTrans();
    auto info = com::TakeErrorInfo();
    std::cerr << "MoQtyWrB failed: error " << (info ? info->number : hr) << ": "
              << (info ? info->description : std::string("no error information")) << "\n";
    return 3;
  }
  if (!result) {
    conn->RollbackTrans();
    std::cout << "receipt " << code << " refused: " << err_msg << "\n";
    return 1;
  }
  conn->CommitTrans();
  const OrderLine after = ReadLine(*conn, mo_d_id);
  std::cout << "receipt " << code << " of " << quantity << " saved; MO line " << mo_d_id
            << " received quantity " << before.received << " -> " << after.received << "\n";
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2 || argc > 4) {
    std::cerr << "usage: mom_host_example DB [MODID [QUANTITY]]\n";
    return 2;
  }
  try {
    const int32_t mo_d_id = argc > 2 ? std::stoi(argv[2]) : 1001;
    const double quantity = argc > 3 ? std::stod(argv[3]) : 10.0;
    return Run(argv[1], mo_d_id, quantity);
  } catch (const com::Error& e) {
    std::cerr << "error " << e.number() << ": " << e.description() << "\n";
    return 3;
  } catch (const std::logic_error& e) {
    std::cerr << "usage: mom_host_example DB [MODID [QUANTITY]] (" << e.what() << ")\n";
    return 2;
  }
}
