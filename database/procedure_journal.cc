#include "database/procedure_journal.h"

#include <string>

#include "database/quantity_journal.h"

namespace database {
namespace {

constexpr char kJournalColumns[] =
    "INSERT INTO sys_qtyjournal (ChangedAt, SessionUser, AppName, ProcName, TypeCode, TableName, RowKey, "
    "ColumnName, QtyBefore, QtyAfter, QtyChange, KrtsBefore, KrtsAfter) ";
// When and who, as every journal row of this database records them.
constexpr char kStamp[] = "strftime('%Y-%m-%d %H:%M:%f', 'now'), mom_session_user(), mom_application_name()";

com::Variant Optional(const std::optional<int32_t>& v) { return v ? com::Variant(*v) : com::Variant::Null(); }
com::Variant Optional(const std::optional<double>& v) { return v ? com::Variant(*v) : com::Variant::Null(); }

}  // namespace

bool KeepsQuantityJournal(ado::ProcedureContext& db) {
  ado::QueryResult r = db.Query("PRAGMA user_version", {});
  return !r.rows.empty() && r.rows[0][0].ToI8() >= kJournalSchemaVersion;
}

void JournalQuantity(ado::ProcedureContext& db, const QuantityChange& change) {
  static const std::string sql = std::string(kJournalColumns) + "VALUES (" + kStamp +
                                 ", ?, ?, ?, ?, ?, ?, ?, round(? - coalesce(?, 0), 6), ?, "
                                 "(SELECT value FROM sys_rowversion))";
  db.Exec(sql, {com::Variant(change.procedure), Optional(change.type_code), com::Variant(change.table),
                com::Variant(change.row), com::Variant(change.column), Optional(change.before),
                com::Variant(change.after), com::Variant(change.after), Optional(change.before),
                change.version_before});
}

void JournalGeneratedOrder(ado::ProcedureContext& db, std::string_view procedure, int32_t type_code,
                           int64_t line_id) {
  static const std::string line = std::string(kJournalColumns) + "SELECT " + kStamp +
                                  ", ?, ?, 'mom_orderdetail', MoDId, 'Qty', NULL, Qty, Qty, NULL, Krts "
                                  "FROM mom_orderdetail WHERE MoDId = ?";
  static const std::string allocations = std::string(kJournalColumns) + "SELECT " + kStamp +
                                         ", ?, ?, 'mom_moallocate', AllocateId, 'Qty', NULL, Qty, Qty, NULL, Krts "
                                         "FROM mom_moallocate WHERE MoDId = ? ORDER BY AllocateId";
  db.Exec(line, {com::Variant(procedure), com::Variant(type_code), com::Variant(line_id)});
  db.Exec(allocations, {com::Variant(procedure), com::Variant(type_code), com::Variant(line_id)});
}

}  // namespace database
