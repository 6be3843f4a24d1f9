// The backflush issue lines of an order line: the components that are issued
// automatically when finished products are received, with the quantities that a
// finished quantity consumes.

#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "database/manufacturing_db.h"
#include "database/procedure_registration.h"
#include "database/procedure_support.h"
#include "database/procedures_internal.h"
#include "platform/ado/numeric_rules.h"
#include "platform/com/date.h"

namespace database {
namespace {

constexpr int kBackflushedAtReceipt = 1;  // mom_moallocate.WIPType
constexpr uint8_t kBackflushIssueBill = 1;
constexpr int32_t kMaterialIssueVoucher = 11;
constexpr char kSourceOrder[] = "生产订单";

ado::ColumnInfo Column(const char* name, ado::DataType type, int32_t size = 0, uint8_t precision = 0,
                       uint8_t scale = 0) {
  ado::ColumnInfo c;
  c.name = name;
  c.type = type;
  c.size = size;
  c.precision = precision;
  c.scale = scale;
  return c;
}

// The result's columns carry the names of the bill list that the component builds.
std::vector<ado::ColumnInfo> LineColumns() {
  std::vector<ado::ColumnInfo> c = {
      Column("BillType", ado::adTinyInt),       Column("DemSourceId", ado::adInteger),
      Column("Source", ado::adVarWChar, 10),    Column("VouchType", ado::adInteger),
      Column("Date", ado::adDate),              Column("WhCode", ado::adVarWChar, 10),
      Column("DepCode", ado::adVarWChar, 12),   Column("WcId", ado::adInteger),
      Column("Maker", ado::adVarWChar, 20),     Column("MoId", ado::adInteger),
      Column("MoDId", ado::adInteger),          Column("cmocode", ado::adVarWChar, 30),
      Column("sortseq", ado::adInteger),        Column("MoAllocateId", ado::adInteger),
      Column("ComponentId", ado::adInteger),    Column("InvCode", ado::adVarWChar, 60),
  };
  static const char* const kFree[] = {"Free1", "Free2", "Free3", "Free4", "Free5",
                                      "Free6", "Free7", "Free8", "Free9", "Free10"};
  for (const char* name : kFree) c.push_back(Column(name, ado::adVarWChar, 20));
  for (ado::ColumnInfo more : {
           Column("LotCode", ado::adVarWChar, 60), Column("MLotcode", ado::adVarWChar, 60),
           Column("Quantity", ado::adDecimal, 0, 28, 6), Column("AuxQuantity", ado::adDecimal, 0, 28, 6),
           Column("ChangeRate", ado::adDecimal, 0, 20, 6), Column("UnitId", ado::adVarWChar, 35),
           Column("AuxUnitId", ado::adVarWChar, 35), Column("Krts", ado::adVarChar, 30),
           Column("SoCode", ado::adVarWChar, 30), Column("SoSeq", ado::adInteger)})
    c.push_back(std::move(more));
  return c;
}

// What the finished quantity consumes of one allocation. Variable usage follows the
// bill's ratio grossed up by the component's scrap, worked in doubles in this order
// (the server's procedure works it the same way). Fixed usage is consumed once per
// line: the first receipt takes what is still unissued, later ones nothing; a reversal
// returns nothing automatically.
double ComponentQuantity(double finished, bool variable, double base_n, double base_d, double comp_scrap,
                         double planned, double issued) {
  if (variable) return StoredQuantity(finished * base_n / base_d * (1 + comp_scrap / 100));
  if (finished <= 0) return 0;
  double remaining = StoredQuantity(planned - issued);
  return remaining > 0 ? remaining : 0;
}

// Usp_MO_GetMoBFAllocate (MoDId, Qty)
// One row per live allocation of the line that is backflushed at receipt, by-products
// excluded (they are received, not issued). Returns 1019992, with no rows, when such an
// allocation has no warehouse; a missing line gives kRowChanged and no rows.
int32_t GetMoBFAllocate(ado::ProcedureContext& db, std::span<const com::Variant> raw) {
  const ProcedureArgs args("Usp_MO_GetMoBFAllocate", raw, 2);
  const int64_t mo_d_id = args.Int(0);
  const double finished = args.Quantity(1);

  auto line = QueryRow(db,
                       "SELECT d.MoId, o.MoCode, d.SortSeq, d.MDeptCode, d.SoCode, d.SoSeq "
                       "FROM mom_orderdetail d JOIN mom_order o ON o.MoId = d.MoId WHERE d.MoDId = ?",
                       {mo_d_id});
  if (!line) return kRowChanged;

  ado::QueryResult allocations = db.Query(
      "SELECT a.AllocateId, a.ComponentId, a.InvCode, a.WhCode, a.LotCode, a.FVFlag, "
      "CAST(a.BaseQtyN AS REAL), CAST(a.BaseQtyD AS REAL), CAST(a.CompScrap AS REAL), "
      "CAST(a.Qty AS REAL), CAST(a.IssQty AS REAL), CAST(a.Krts AS INTEGER), i.cComUnitCode, "
      "p.Free1, p.Free2, p.Free3, p.Free4, p.Free5, p.Free6, p.Free7, p.Free8, p.Free9, p.Free10 "
      "FROM mom_moallocate a "
      "LEFT JOIN Inventory i ON i.cInvCode = a.InvCode "
      "LEFT JOIN bas_part p ON p.PartId = a.ComponentId "
      "WHERE a.MoDId = ? AND a.WIPType = ? AND a.DeleteFlag = 0 AND a.ByproductFlag = 0 "
      "ORDER BY a.SortSeq, a.AllocateId",
      {mo_d_id, kBackflushedAtReceipt});
  for (const auto& a : allocations.rows)
    if (a[3].is_null() || a[3].ToString().find_first_not_of(' ') == std::string::npos) return kNoBackflushWarehouse;
  // A zero denominator fails the call before any quantity is worked out.
  for (const auto& a : allocations.rows)
    if (!a[5].is_null() && a[5].ToI4() == 1 && QuantityOf(a[7]) == 0)
      throw std::runtime_error("子件 " + a[2].ToString() + " 的基本用量分母为零");

  const com::Date now = com::Now();
  ado::QueryResult result;
  result.columns = LineColumns();
  for (const auto& a : allocations.rows) {
    const bool variable = !a[5].is_null() && a[5].ToI4() == 1;
    const double quantity = ComponentQuantity(finished, variable, QuantityOf(a[6]), QuantityOf(a[7]),
                                              QuantityOf(a[8]), QuantityOf(a[9]), QuantityOf(a[10]));
    // Filled by name; columns not set stay Null (WcId: work centres are not kept;
    // Maker: the issuing document's, set by the caller; MLotcode: order lines carry
    // no lot; AuxQuantity, ChangeRate, AuxUnitId: no auxiliary units).
    std::vector<com::Variant> row(result.columns.size(), com::Variant::Null());
    auto set = [&](std::string_view name, const com::Variant& v) {
      row[static_cast<size_t>(result.Column(name))] = v;
    };
    set("BillType", com::Variant(kBackflushIssueBill));
    set("DemSourceId", com::Variant(static_cast<int32_t>(mo_d_id)));  // the demanding order line
    set("Source", com::Variant(kSourceOrder));
    set("VouchType", com::Variant(kMaterialIssueVoucher));
    set("Date", com::Variant(now));
    set("WhCode", a[3]);
    set("DepCode", (*line)[3]);
    set("MoId", (*line)[0]);
    set("MoDId", com::Variant(static_cast<int32_t>(mo_d_id)));
    set("cmocode", (*line)[1]);
    set("sortseq", (*line)[2]);
    set("MoAllocateId", a[0]);
    set("ComponentId", a[1]);
    set("InvCode", a[2]);
    for (size_t k = 0; k < 10; ++k) set("Free" + std::to_string(k + 1), a[13 + k]);
    set("LotCode", a[4]);
    set("Quantity", com::Variant(quantity));
    set("UnitId", a[12]);
    if (!a[11].is_null()) set("Krts", com::Variant(ado::MoneyText(a[11].ToI8())));
    set("SoCode", (*line)[4]);
    set("SoSeq", (*line)[5]);
    result.rows.push_back(std::move(row));
  }
  db.ReturnRows(std::move(result));
  return kOk;
}

}  // namespace

void RegisterBackflushProcedures() {
  RegisterProcedureBody(kGetMoBFAllocate, GetMoBFAllocate);
}

}  // namespace database
