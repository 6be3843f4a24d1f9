// Procedures that keep the quantities of order routings up to date as shop-floor
// reports and operation moves are saved. Each change is recorded in the quantity
// journal.

#include <array>
#include <string>

#include "database/manufacturing_db.h"
#include "database/procedure_journal.h"
#include "database/procedure_registration.h"
#include "database/procedure_support.h"
#include "database/procedures_internal.h"

namespace database {
namespace {

constexpr int kClosedStatus = 4;

// Usp_SF_UpdOpTransformDecQty (iOpMdId, fNetChgQty, Krts)
// A move line takes its quantity out of the operation it leaves, so the line and that
// routing line's TransOutQty change together.
int32_t UpdOpTransformDecQty(ado::ProcedureContext& db, std::span<const com::Variant> raw) {
  const ProcedureArgs args("Usp_SF_UpdOpTransformDecQty", raw, 3);
  const int64_t op_md_id = args.Int(0);
  const double change = args.Quantity(1);
  const std::string token = args.Text(2);

  auto row = QueryRow(db,
                      "SELECT CAST(t.Qty AS REAL), CAST(t.Krts AS INTEGER), r.MoRoutingDId, "
                      "CAST(r.TransOutQty AS REAL), CAST(r.Krts AS INTEGER) "
                      "FROM sfc_optransformdetail t "
                      "LEFT JOIN sfc_moroutingdetail r ON r.MoRoutingDId = t.MoRoutingDId "
                      "WHERE t.OpMdId = ?",
                      {op_md_id});
  if (!row || !TokenMatches(token, (*row)[1])) return kRowChanged;
  // Without its routing line the move cannot be kept consistent.
  if ((*row)[2].is_null()) return kRowChanged;
  const int64_t routing_d_id = (*row)[2].ToI8();

  const double moved = StoredQuantity(QuantityOf((*row)[0]) + change);
  const double moved_out = StoredQuantity(QuantityOf((*row)[3]) + change);
  const bool journal = KeepsQuantityJournal(db);
  db.Exec("UPDATE sfc_optransformdetail SET Qty = ? WHERE OpMdId = ?", {moved, op_md_id});
  if (journal)
    JournalQuantity(db, {"Usp_SF_UpdOpTransformDecQty", std::nullopt, "sfc_optransformdetail", op_md_id, "Qty",
                         QuantityOf((*row)[0]), moved, (*row)[1]});
  db.Exec("UPDATE sfc_moroutingdetail SET TransOutQty = ? WHERE MoRoutingDId = ?", {moved_out, routing_d_id});
  if (journal)
    JournalQuantity(db, {"Usp_SF_UpdOpTransformDecQty", std::nullopt, "sfc_moroutingdetail", routing_d_id,
                         "TransOutQty", QuantityOf((*row)[3]), moved_out, (*row)[4]});
  return kOk;
}

// The routing-line columns each report type changes.
struct RoutingQuantityType {
  int32_t type;
  std::array<const char*, 2> columns;  // second may be null
};
constexpr RoutingQuantityType kRoutingTypes[] = {
    {1, {"QualifiedQty", nullptr}},
    {2, {"ScrapQty", nullptr}},
    {3, {"RefusedQty", nullptr}},
    {4, {"BalQualifiedQty", nullptr}},
    {5, {"TransOutQty", nullptr}},
    {6, {"CompleteQty", "QualifiedQty"}},  // finished at the last operation
};

// Usp_SF_UpdMRoutingQty (Type, MoRoutingDId, fNetChgQty, Krts)
int32_t UpdMRoutingQty(ado::ProcedureContext& db, std::span<const com::Variant> raw) {
  const ProcedureArgs args("Usp_SF_UpdMRoutingQty", raw, 4);
  const int32_t type = args.Int(0);
  const int64_t routing_d_id = args.Int(1);
  const double change = args.Quantity(2);
  const std::string token = args.Text(3);

  const RoutingQuantityType* kind = nullptr;
  for (const auto& k : kRoutingTypes)
    if (k.type == type) kind = &k;
  if (!kind) return kFailed;

  // Column names come from the table above, never from the caller.
  std::string select = "SELECT CAST(r.Krts AS INTEGER), d.Status";
  std::string update = "UPDATE sfc_moroutingdetail SET ";
  int columns = 0;
  for (const char* column : kind->columns) {
    if (!column) continue;
    select += std::string(", CAST(r.") + column + " AS REAL)";
    update += std::string(columns ? ", " : "") + column + " = ?";
    ++columns;
  }
  select +=
      " FROM sfc_moroutingdetail r "
      "LEFT JOIN sfc_morouting m ON m.MoRoutingId = r.MoRoutingId "
      "LEFT JOIN mom_orderdetail d ON d.MoDId = m.MoDId "
      "WHERE r.MoRoutingDId = ?";
  update += " WHERE MoRoutingDId = ?";

  auto row = QueryRow(db, select, {routing_d_id});
  if (!row || !TokenMatches(token, (*row)[0])) return kRowChanged;
  if (!(*row)[1].is_null() && (*row)[1].ToI4() == kClosedStatus) return kOrderClosed;

  std::vector<com::Variant> values;
  for (int i = 0; i < columns; ++i) values.emplace_back(StoredQuantity(QuantityOf((*row)[2 + i]) + change));
  values.emplace_back(routing_d_id);
  const bool journal = KeepsQuantityJournal(db);
  db.Exec(update, std::span<const com::Variant>(values));
  if (journal)
    for (int i = 0; i < columns; ++i)
      JournalQuantity(db, {"Usp_SF_UpdMRoutingQty", type, "sfc_moroutingdetail", routing_d_id, kind->columns[i],
                           QuantityOf((*row)[2 + i]), values[i].ToR8(), (*row)[0]});
  return kOk;
}

}  // namespace

void RegisterShopFloorProcedures() {
  RegisterProcedureBody(kUpdOpTransformDecQty, UpdOpTransformDecQty);
  RegisterProcedureBody(kUpdMRoutingQty, UpdMRoutingQty);
}

}  // namespace database
