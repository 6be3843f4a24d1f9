// Procedures that keep the transaction quantities of order lines and their components
// up to date as receipts, inspections and issues are saved. Each change is recorded in
// the quantity journal.

#include "database/manufacturing_db.h"
#include "database/procedure_journal.h"
#include "database/procedure_registration.h"
#include "database/procedure_support.h"
#include "database/procedures_internal.h"

namespace database {
namespace {

constexpr int kClosedStatus = 4;

// Usp_MO_UpdMoQty (Type, iMoDId, fNetChgQty, IsChk, Krts, CurDate)
int32_t UpdMoQty(ado::ProcedureContext& db, std::span<const com::Variant> raw) {
  const ProcedureArgs args("Usp_MO_UpdMoQty", raw, 6);
  const int32_t type = args.Int(0);
  const int64_t mo_d_id = args.Int(1);
  const double change = args.Quantity(2);
  const bool check = args.Flag(3);
  const std::string token = args.Text(4);
  const com::Variant& cur_date = args.Raw(5);
  if (type != 1 && type != 2) return kFailed;

  auto row = QueryRow(db,
                      "SELECT CAST(Qty AS REAL), CAST(QualifiedInQty AS REAL), CAST(DeclaredQty AS REAL), "
                      "Status, CAST(Krts AS INTEGER) FROM mom_orderdetail WHERE MoDId = ?",
                      {mo_d_id});
  if (!row || !TokenMatches(token, (*row)[4])) return kRowChanged;
  const double qty = RoundQuantity(QuantityOf((*row)[0]));
  if (!(*row)[3].is_null() && (*row)[3].ToI4() == kClosedStatus) return kOrderClosed;

  if (type == 1) {
    const double received = StoredQuantity(QuantityOf((*row)[1]) + change);
    if (check && received > qty) return kReceiptExceedsOrder;
    if (received < 0) return kReceiptBelowZero;
    db.Exec("UPDATE mom_orderdetail SET QualifiedInQty = ?, LastInDate = coalesce(?, LastInDate) "
            "WHERE MoDId = ?",
            {received, cur_date, mo_d_id});
    if (KeepsQuantityJournal(db))
      JournalQuantity(db, {"Usp_MO_UpdMoQty", type, "mom_orderdetail", mo_d_id, "QualifiedInQty",
                           QuantityOf((*row)[1]), received, (*row)[4]});
  } else {
    const double declared = StoredQuantity(QuantityOf((*row)[2]) + change);
    if (check && declared > qty) return kNothingToInspect;
    db.Exec("UPDATE mom_orderdetail SET DeclaredQty = ?, LastDeclareDate = coalesce(?, LastDeclareDate) "
            "WHERE MoDId = ?",
            {declared, cur_date, mo_d_id});
    if (KeepsQuantityJournal(db))
      JournalQuantity(db, {"Usp_MO_UpdMoQty", type, "mom_orderdetail", mo_d_id, "DeclaredQty",
                           QuantityOf((*row)[2]), declared, (*row)[4]});
  }
  return kOk;
}

// Usp_MO_UpdMoAllocateTxQty (Type, MoAllocateId, fNetChgQty, bChk, Krts)
int32_t UpdMoAllocateTxQty(ado::ProcedureContext& db, std::span<const com::Variant> raw) {
  const ProcedureArgs args("Usp_MO_UpdMoAllocateTxQty", raw, 5);
  const int32_t type = args.Int(0);
  const int64_t allocate_id = args.Int(1);
  const double change = args.Quantity(2);
  const bool check = args.Flag(3);
  const std::string token = args.Text(4);
  if (type != 1 && type != 2) return kFailed;

  auto row = QueryRow(db,
                      "SELECT CAST(a.Qty AS REAL), CAST(a.IssQty AS REAL), CAST(a.InspQty AS REAL), "
                      "a.DeleteFlag, d.Status, CAST(a.Krts AS INTEGER) "
                      "FROM mom_moallocate a LEFT JOIN mom_orderdetail d ON d.MoDId = a.MoDId "
                      "WHERE a.AllocateId = ?",
                      {allocate_id});
  if (!row || !TokenMatches(token, (*row)[5])) return kRowChanged;
  if (!(*row)[3].is_null() && (*row)[3].ToBool()) return kAllocationDeleted;
  if (!(*row)[4].is_null() && (*row)[4].ToI4() == kClosedStatus) return kOrderClosed;
  const double qty = RoundQuantity(QuantityOf((*row)[0]));

  if (type == 1) {
    const double issued = StoredQuantity(QuantityOf((*row)[1]) + change);
    if (check && issued > qty) return kIssueExceedsPlan;
    if (issued < 0) return kReturnExceedsIssued;
    db.Exec("UPDATE mom_moallocate SET IssQty = ? WHERE AllocateId = ?", {issued, allocate_id});
    if (KeepsQuantityJournal(db))
      JournalQuantity(db, {"Usp_MO_UpdMoAllocateTxQty", type, "mom_moallocate", allocate_id, "IssQty",
                           QuantityOf((*row)[1]), issued, (*row)[5]});
  } else {
    const double inspected = StoredQuantity(QuantityOf((*row)[2]) + change);
    if (check && inspected > qty) return kNothingToInspect;
    db.Exec("UPDATE mom_moallocate SET InspQty = ? WHERE AllocateId = ?", {inspected, allocate_id});
    if (KeepsQuantityJournal(db))
      JournalQuantity(db, {"Usp_MO_UpdMoAllocateTxQty", type, "mom_moallocate", allocate_id, "InspQty",
                           QuantityOf((*row)[2]), inspected, (*row)[5]});
  }
  return kOk;
}

}  // namespace

void RegisterOrderProcedures() {
  RegisterProcedureBody(kUpdMoQty, UpdMoQty);
  RegisterProcedureBody(kUpdMoAllocateTxQty, UpdMoAllocateTxQty);
}

}  // namespace database
