// Procedures of MO generation: creating an order for a demand line and offering the
// net demand of assemble-to-order items that such an order covers.

#include <string>

#include "database/manufacturing_db.h"
#include "database/procedure_journal.h"
#include "database/procedure_registration.h"
#include "database/procedure_support.h"
#include "database/procedures_internal.h"
#include "platform/ado/numeric_rules.h"

namespace database {
namespace {

constexpr int kValidBom = 3;
constexpr int kSalesLine = 1;
constexpr int kExternalLine = 2;

// The generation calls name an external-order line 3; the database keeps it as 2.
int32_t StoredSoType(int32_t caller_so_type) { return caller_so_type == 3 ? kExternalLine : caller_so_type; }

// The connection's session table that the generation run created; absent when the
// procedure is called on its own.
bool HasSessionTable(ado::ProcedureContext& db) {
  return !db.Query("SELECT 1 FROM sqlite_temp_master WHERE type = 'table' AND name = '#tmp_moallocate'", {}).empty();
}

// Planned component quantity: variable usage scales with the order quantity and the
// parent's scrap, fixed usage does not; both carry the component's own scrap. Worked in
// doubles (columns that hold whole numbers are integers here, whose division would
// truncate) and kept as a quantity column keeps it; the server's procedure works it the
// same way.
constexpr char kAllocationSelect[] =
    "SELECT c.OpSeq, c.ComponentId, c.BaseQtyN, c.BaseQtyD, b.ParentScrap, c.CompScrap, c.FVFlag, "
    "c.ByproductFlag, c.WIPType, c.WhCode, "
    "mom_quantity(CASE WHEN c.FVFlag = 1 "
    "THEN ? * CAST(c.BaseQtyN AS REAL) / CAST(c.BaseQtyD AS REAL) * (1 + CAST(b.ParentScrap AS REAL) / 100) "
    "ELSE CAST(c.BaseQtyN AS REAL) / CAST(c.BaseQtyD AS REAL) END * (1 + CAST(c.CompScrap AS REAL) / 100)), "
    "?, ?, c.OffSet, c.OpComponentId "
    "FROM bom_opcomponent c JOIN bom_bom b ON b.BomId = c.BomId WHERE c.BomId = ? ORDER BY c.SortSeq, "
    "c.OpComponentId";

constexpr char kAllocationColumns[] =
    "OpSeq, ComponentId, BaseQtyN, BaseQtyD, ParentScrap, CompScrap, FVFlag, ByproductFlag, WIPType, WhCode, "
    "Qty, StartDemDate, EndDemDate, OffSet, OpComponentId";

// Usp_MO_GenMoFromSo (AccId, mocode, sodid, cbomid, invcode, Free1..Free10, qty, duedate,
//                     createuser, createdate, remark, SoType, from, igrouptype, inum,
//                     iinvexchrate)
int32_t GenMoFromSo(ado::ProcedureContext& db, std::span<const com::Variant> raw) {
  const ProcedureArgs args("Usp_MO_GenMoFromSo", raw, 25);
  const std::string code = args.Text(1);
  const com::Variant& so_d_id = args.Raw(2);
  const com::Variant& bom_arg = args.Raw(3);
  const std::string inv_code = args.Text(4);
  const double qty = args.Quantity(15);
  const com::Variant& due_date = args.Raw(16);
  const int32_t so_type = StoredSoType(args.Int(20));

  // Trailing blanks are not part of a code.
  std::string mo_code = code;
  while (!mo_code.empty() && mo_code.back() == ' ') mo_code.pop_back();
  if (mo_code.empty()) return kFailed;
  if (QueryRow(db, "SELECT 1 FROM mom_order WHERE MoCode = ?", {mo_code})) return kDuplicateCode;

  std::string part_sql = "SELECT PartId FROM bas_part WHERE InvCode = ?";
  std::vector<com::Variant> part_params = {inv_code};
  for (int i = 0; i < 10; ++i) {
    part_sql += " AND coalesce(Free" + std::to_string(i + 1) + ", '') = ?";
    part_params.push_back(args.Text(5 + i));
  }
  part_sql += " ORDER BY PartId LIMIT 1";
  ado::QueryResult part = db.Query(part_sql, part_params);
  if (part.empty()) return kNoValidBom;
  const int64_t part_id = part.rows[0][0].ToI8();

  // The line's own bill when it names a valid one of this part, else the part's valid
  // bill of the highest version.
  std::optional<std::vector<com::Variant>> bom;
  if (!bom_arg.is_null() && !bom_arg.is_empty())
    bom = QueryRow(db, "SELECT BomId FROM bom_bom WHERE BomId = ? AND PartId = ? AND Status = ?",
                   {bom_arg.ToI8(), part_id, kValidBom});
  if (!bom)
    bom = QueryRow(db,
                   "SELECT BomId FROM bom_bom WHERE PartId = ? AND Status = ? ORDER BY Version DESC, BomId DESC "
                   "LIMIT 1",
                   {part_id, kValidBom});
  if (!bom) return kNoValidBom;
  const int64_t bom_id = (*bom)[0].ToI8();

  com::Variant so_code, so_seq;
  if (so_type == kSalesLine) {
    if (auto r = QueryRow(db,
                          "SELECT m.cSOCode, d.iRowNo FROM so_sodetails d JOIN so_somain m ON m.id = d.id "
                          "WHERE d.isosid = ?",
                          {so_d_id}))
      so_code = (*r)[0], so_seq = (*r)[1];
  } else if (so_type == kExternalLine) {
    if (auto r = QueryRow(db,
                          "SELECT m.cCode, d.iRowNo FROM ex_orderdetail d JOIN ex_order m ON m.id = d.id "
                          "WHERE d.autoid = ?",
                          {so_d_id}))
      so_code = (*r)[0], so_seq = (*r)[1];
  }

  db.Exec("INSERT INTO mom_order (MoCode, CreateDate, CreateUser) VALUES (?, ?, ?)",
          {mo_code, args.Raw(18), args.Raw(17)});
  const int64_t mo_id = QueryRow(db, "SELECT MoId FROM mom_order WHERE MoCode = ?", {mo_code}).value()[0].ToI8();
  std::vector<com::Variant> detail = {mo_id,   part_id, inv_code, bom_id,   qty,         so_type,
                                      so_d_id, so_code, so_seq,   due_date, args.Raw(18)};
  for (int i = 0; i < 10; ++i) detail.push_back(args.Raw(5 + i));
  detail.push_back(args.Raw(19));
  db.Exec(
      "INSERT INTO mom_orderdetail (MoId, SortSeq, MoClass, PartId, InvCode, BomId, Qty, Status, SoType, SoDId, "
      "SoCode, SoSeq, DueDate, StartDate, Free1, Free2, Free3, Free4, Free5, Free6, Free7, Free8, Free9, Free10, "
      "Remark) VALUES (?, 1, 1, ?, ?, ?, ?, 1, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)",
      detail);
  const int64_t mo_d_id = QueryRow(db, "SELECT MoDId FROM mom_orderdetail WHERE MoId = ?", {mo_id}).value()[0].ToI8();

  // Components go through the run's session table, which starts empty for every
  // order: whatever an earlier line left there is not this order's. Its identity goes
  // on counting across the run's lines, so the order's allocations are numbered from 1
  // in its order.
  const std::vector<com::Variant> select_params = {qty, args.Raw(18), due_date, bom_id};
  const std::string copy_columns =
      "MoDId, SortSeq, OpSeq, ComponentId, InvCode, BaseQtyN, BaseQtyD, ParentScrap, CompScrap, FVFlag, "
      "ByproductFlag, WIPType, WhCode, Qty, StartDemDate, EndDemDate, OffSet, OpComponentId";
  if (HasSessionTable(db)) {
    db.Exec("DELETE FROM \"#tmp_moallocate\"", {});
    db.Exec(std::string("INSERT INTO \"#tmp_moallocate\" (") + kAllocationColumns + ") " + kAllocationSelect,
            select_params);
    db.Exec("INSERT INTO mom_moallocate (" + copy_columns +
                ") SELECT ?, row_number() OVER (ORDER BY t.SortSeq), t.OpSeq, t.ComponentId, p.InvCode, t.BaseQtyN, t.BaseQtyD, t.ParentScrap, "
                "t.CompScrap, t.FVFlag, t.ByproductFlag, t.WIPType, t.WhCode, t.Qty, t.StartDemDate, "
                "t.EndDemDate, t.OffSet, t.OpComponentId FROM \"#tmp_moallocate\" t "
                "JOIN bas_part p ON p.PartId = t.ComponentId ORDER BY t.SortSeq",
            {mo_d_id});
  } else {
    std::vector<com::Variant> params = {mo_d_id};
    params.insert(params.end(), select_params.begin(), select_params.end());
    db.Exec(
        "INSERT INTO mom_moallocate (MoDId, SortSeq, OpSeq, ComponentId, InvCode, BaseQtyN, BaseQtyD, "
        "ParentScrap, CompScrap, FVFlag, ByproductFlag, WIPType, WhCode, Qty, StartDemDate, EndDemDate, OffSet, "
        "OpComponentId) SELECT ?, c.SortSeq, c.OpSeq, c.ComponentId, p.InvCode, c.BaseQtyN, c.BaseQtyD, "
        "b.ParentScrap, c.CompScrap, c.FVFlag, c.ByproductFlag, c.WIPType, c.WhCode, "
        "mom_quantity(CASE WHEN c.FVFlag = 1 "
        "THEN ? * CAST(c.BaseQtyN AS REAL) / CAST(c.BaseQtyD AS REAL) * (1 + CAST(b.ParentScrap AS REAL) / 100) "
        "ELSE CAST(c.BaseQtyN AS REAL) / CAST(c.BaseQtyD AS REAL) END * (1 + CAST(c.CompScrap AS REAL) / 100)), "
        "?, ?, c.OffSet, c.OpComponentId "
        "FROM bom_opcomponent c JOIN bom_bom b ON b.BomId = c.BomId JOIN bas_part p ON p.PartId = c.ComponentId "
        "WHERE c.BomId = ? ORDER BY c.SortSeq, c.OpComponentId",
        params);
  }

  if (KeepsQuantityJournal(db)) JournalGeneratedOrder(db, "Usp_MO_GenMoFromSo", so_type, mo_d_id);

  // Keep the automatic numbering ahead of the codes it handed out.
  if (auto doc = QueryRow(db, "SELECT Prefix, NextNumber FROM sys_doccode WHERE DocType = 'MO21'", {})) {
    const std::string prefix = (*doc)[0].ToString();
    if (mo_code.size() > prefix.size() && mo_code.compare(0, prefix.size(), prefix) == 0 &&
        mo_code.size() - prefix.size() <= 15 &&
        mo_code.find_first_not_of("0123456789", prefix.size()) == std::string::npos) {
      const int64_t number = std::stoll(mo_code.substr(prefix.size()));
      if (number >= (*doc)[1].ToI8())
        db.Exec("UPDATE sys_doccode SET NextNumber = ? WHERE DocType = 'MO21'", {number + 1});
    }
  }
  return kOk;
}

// Usp_MP_GetATONetDemand (MoDId, IsDel, PartId, DueDate, SoType, SoDId, OrdFlag)
// Rows: DemandId, PartId, Seq, Factor, BalQty, CrdQty, Krts (token text), ordered by
// Seq then DemandId. BalQty is what one visit may credit: the demand not yet credited,
// or, when the credit is taken back (IsDel), what was credited.
int32_t GetAtoNetDemand(ado::ProcedureContext& db, std::span<const com::Variant> raw) {
  const ProcedureArgs args("Usp_MP_GetATONetDemand", raw, 7);
  const bool is_del = args.Flag(1);
  ado::QueryResult rows = db.Query(
      "SELECT DemandId, PartId, Seq, CAST(Factor AS REAL) AS Factor, CAST(BalQty AS REAL) AS BalQty, "
      "CAST(crdqty AS REAL) AS CrdQty, Krts FROM mps_netdemand WHERE SoType = ? AND SoDId = ? "
      "ORDER BY Seq, DemandId",
      {StoredSoType(args.Int(4)), args.Int(5)});
  ado::QueryResult out;
  out.columns = {{"DemandId", ado::adInteger}, {"PartId", ado::adInteger}, {"Seq", ado::adInteger},
                 {"Factor", ado::adDouble},    {"BalQty", ado::adDouble},  {"CrdQty", ado::adDouble},
                 {"Krts", ado::adChar, 30}};
  for (auto& r : rows.rows) {
    const double demand = QuantityOf(r[4]);
    const double credited = QuantityOf(r[5]);
    const double balance = RoundQuantity(is_del ? credited : demand - credited);
    if (balance <= 0) continue;
    out.rows.push_back({r[0], r[1], r[2], com::Variant(QuantityOf(r[3])), com::Variant(balance), com::Variant(credited),
                        com::Variant(ado::MoneyText(r[6].ToI8()))});
  }
  db.ReturnRows(std::move(out));
  return kOk;
}

}  // namespace

void RegisterGenerationProcedures() {
  RegisterProcedureBody(kGenMoFromSo, GenMoFromSo);
  RegisterProcedureBody(kGetAtoNetDemand, GetAtoNetDemand);
}

}  // namespace database
