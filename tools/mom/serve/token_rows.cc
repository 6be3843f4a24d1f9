#include "tools/mom/serve/token_rows.h"

#include "platform/ado/field.h"
#include "platform/ado/recordset.h"
#include "platform/com/type_info.h"

namespace mom_service {

namespace {

int32_t IntArgument(const mom_console::OperationCall& call, const char* name) {
  const com::Variant* v = call.Value(name);
  return v && !v->Deref().is_empty() ? v->Deref().ToI4() : 0;
}

bool FlagArgument(const mom_console::OperationCall& call, const char* name) {
  const com::Variant* v = call.Value(name);
  return v && !v->Deref().is_empty() && v->Deref().ToBool();
}

TokenRow OrderLine(int32_t id) { return {"mom_orderdetail", "MoDId", id}; }
TokenRow Allocation(int32_t id) { return {"mom_moallocate", "AllocateId", id}; }

}  // namespace

std::optional<TokenRow> TokenRowOf(const mom_console::OperationCall& call) {
  const std::string& op = call.func().name;
  auto is = [&](const char* name) { return com::NamesEqual(op, name); };
  if (is("OpMoveQtyWrB")) return TokenRow{"sfc_optransformdetail", "OpMdId", IntArgument(call, "iOpMdId")};
  if (is("MoRoutingWrB")) return TokenRow{"sfc_moroutingdetail", "MoRoutingDId", IntArgument(call, "MoRoutingDId")};
  if (is("MoInQtyWrB")) return OrderLine(IntArgument(call, "iMoDId"));
  if (is("MORMOutQtyWrB")) return Allocation(IntArgument(call, "MoAllocateId"));
  // The by-product's allocation, or the order line (its routing token is read inside).
  if (is("MoQtyWrB"))
    return FlagArgument(call, "bBPFlag") ? Allocation(IntArgument(call, "iMoDId")) : OrderLine(IntArgument(call, "iMoDId"));
  if (is("MoQtyWrBfromQc")) {
    if (int32_t id = IntArgument(call, "iMoAllocateId"); id > 0) return Allocation(id);
    if (int32_t id = IntArgument(call, "iCompletedId"); id > 0) return OrderLine(id);
  }
  return std::nullopt;
}

std::optional<std::string> CurrentToken(ado::Connection& connection, const TokenRow& row) {
  // The table and column come from the list above; the id is an integer.
  com::Ptr<ado::Recordset> rs = connection.Execute("select convert(char,convert(money,Krts),2) as Krts from " +
                                                   row.table + " where " + row.key_column + " = " +
                                                   std::to_string(row.id));
  if (rs->State() != ado::adStateOpen || rs->Eof()) return std::nullopt;
  com::Variant v = rs->fields().Item(0).Value();
  if (v.is_null()) return std::nullopt;
  return v.ToString();
}

}  // namespace mom_service
