#include "material/backflush.h"

#include <exception>
#include <iterator>

#include "platform/ado/command.h"
#include "platform/ado/recordset.h"
#include "platform/com/error.h"
#include "platform/com/error_info.h"
#include "shared/xml_rs_data.h"

namespace mom::material {

namespace {

// The procedure's one failure that this operation knows: no backflush warehouse.
constexpr int32_t kNoBackflushWarehouse = 1019992;
constexpr int32_t kNoBackflushWarehouseMessage = 19992;

struct BillField {
  const char* name;
  ado::DataType type;
  int32_t size;
  uint8_t precision;
  uint8_t scale;
};

// The bill list's layout. Callers read it by name, so names and sizes are fixed.
constexpr BillField kBillFields[] = {
    {"BillType", ado::adTinyInt, 0, 0, 0},
    {"DemSourceId", ado::adInteger, 0, 0, 0},
    {"Source", ado::adVarWChar, 10, 0, 0},
    {"VouchType", ado::adInteger, 0, 0, 0},
    {"Date", ado::adDate, 0, 0, 0},
    {"WhCode", ado::adVarWChar, 10, 0, 0},
    {"DepCode", ado::adVarWChar, 12, 0, 0},
    {"WcId", ado::adInteger, 0, 0, 0},
    {"Maker", ado::adVarWChar, 20, 0, 0},
    {"MoId", ado::adInteger, 0, 0, 0},
    {"MoDId", ado::adInteger, 0, 0, 0},
    {"cmocode", ado::adVarWChar, 30, 0, 0},
    {"sortseq", ado::adInteger, 0, 0, 0},
    {"MoAllocateId", ado::adInteger, 0, 0, 0},
    {"ComponentId", ado::adInteger, 0, 0, 0},
    {"InvCode", ado::adVarWChar, 20, 0, 0},
    {"Free1", ado::adVarWChar, 20, 0, 0},
    {"Free2", ado::adVarWChar, 20, 0, 0},
    {"Free3", ado::adVarWChar, 20, 0, 0},
    {"Free4", ado::adVarWChar, 20, 0, 0},
    {"Free5", ado::adVarWChar, 20, 0, 0},
    {"Free6", ado::adVarWChar, 20, 0, 0},
    {"Free7", ado::adVarWChar, 20, 0, 0},
    {"Free8", ado::adVarWChar, 20, 0, 0},
    {"Free9", ado::adVarWChar, 20, 0, 0},
    {"Free10", ado::adVarWChar, 20, 0, 0},
    {"LotCode", ado::adVarWChar, 20, 0, 0},
    {"MLotcode", ado::adVarWChar, 20, 0, 0},
    {"Quantity", ado::adDecimal, 0, 28, 6},
    {"AuxQuantity", ado::adDecimal, 0, 28, 6},
    {"ChangeRate", ado::adDecimal, 0, 20, 6},
    {"UnitId", ado::adVarWChar, 10, 0, 0},
    {"AuxUnitId", ado::adVarWChar, 10, 0, 0},
    {"Krts", ado::adVarChar, 60, 0, 0},
    {"SoCode", ado::adVarWChar, 30, 0, 0},
    {"SoSeq", ado::adInteger, 0, 0, 0},
};
static_assert(std::size(kBillFields) == 36);

RecordsetRef CreateBillList() {
  RecordsetRef list = ado::Recordset::Create();
  for (const BillField& f : kBillFields) {
    ado::Field& field = list->fields().Append(f.name, f.type, f.size, ado::adFldIsNullable);
    if (f.type == ado::adDecimal) {
      field.SetPrecision(f.precision);
      field.SetNumericScale(f.scale);
    }
  }
  list->Open();
  return list;
}

// Runs the procedure on the caller's connection and returns its rows (a closed
// recordset when it gave none). Raises the missing-warehouse message.
com::Ptr<ado::Recordset> GetBackflushRows(ConnectionRef& oConn, int32_t moDId, double NetChgQty) {
  com::Ptr<ado::Command> cmd = ado::Command::Create();
  cmd->parameters().Append(cmd->CreateParameter("Return", ado::adInteger, ado::adParamReturnValue, 0));
  cmd->parameters().Append(cmd->CreateParameter("MoDId", ado::adInteger, ado::adParamInput, 0));
  com::Ptr<ado::Parameter> qty = cmd->CreateParameter("Qty", ado::adDecimal, ado::adParamInput, 0);
  qty->precision = 20;
  qty->numeric_scale = 6;
  cmd->parameters().Append(std::move(qty));
  cmd->command_text = "Usp_MO_GetMoBFAllocate";
  cmd->command_type = ado::adCmdStoredProc;
  cmd->SetActiveConnection(oConn);
  (*cmd)["MoDId"] = moDId;
  (*cmd)["Qty"] = NetChgQty;
  // The provider has fetched the rows when Execute returns, so the return value below
  // is the procedure's real one.
  com::Ptr<ado::Recordset> rows = cmd->Execute(nullptr, ado::adOptionUnspecified);
  if ((*cmd)["Return"].ToI4() == kNoBackflushWarehouse)
    throw com::Error(kNoBackflushWarehouseMessage, XMLRSData::GetResTextById(kNoBackflushWarehouseMessage));
  return rows;
}

// A line is issued only for a quantity other than zero. Null, or a Quantity that is
// missing or not a number, issues nothing.
bool HasQuantity(const ado::Recordset& rows) {
  const ado::Field* quantity = rows.fields().Find("Quantity");
  if (!quantity) return false;
  try {
    com::Variant v = quantity->Value();
    return !v.is_null() && v.ToR8() != 0;
  } catch (const std::exception&) {
    return false;
  }
}

// Copies the kept rows field by field. Nothing here fails the operation: a value that
// is missing or cannot be stored leaves its field Null and the row stays.
void CopyRows(ado::Recordset& rows, ado::Recordset& list) {
  // A procedure that gave no row result at all has nothing to copy; testing EOF on it
  // would fail, so it is not walked.
  if (rows.State() != ado::adStateOpen) return;
  for (; !rows.Eof(); rows.MoveNext()) {
    if (!HasQuantity(rows)) continue;
    list.AddNew();
    for (const BillField& f : kBillFields) {
      const ado::Field* source = rows.fields().Find(f.name);
      if (!source) continue;
      try {
        list[f.name].SetValue(source->Value());
      } catch (const std::exception&) {
        // left Null
      }
    }
  }
}

}  // namespace

VariantBool GetBFRds(ConnectionRef& oConn, int32_t moDId, double NetChgQty, RecordsetRef& BillListRs,
                     std::string& ErrMsg) {
  RecordsetRef list = CreateBillList();  // not trapped: reaches the caller as an error
  com::Ptr<ado::Recordset> rows;
  try {
    rows = GetBackflushRows(oConn, moDId, NetChgQty);
  } catch (...) {
    ErrMsg = com::CurrentExceptionInfo().description;
    return kVariantFalse;
  }
  try {
    if (rows) CopyRows(*rows, *list);
  } catch (...) {
    // From the copy on a failure only ends the copy; the rows added so far stay.
  }
  // Not repositioned: the last row added stays current, in its add state.
  BillListRs = list;
  return kVariantTrue;
}

}  // namespace mom::material
