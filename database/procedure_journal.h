#pragma once
// How the embedded database's procedures record a change in the quantity journal
// (quantity_journal.sql): one row per counter changed, written right after the update
// on the procedure's own connection, so it stands or falls with the change.

#include <cstdint>
#include <optional>
#include <string_view>

#include "platform/ado/procedure_catalog.h"
#include "platform/com/variant.h"

namespace database {

// One change of one counter. `before` is empty for a row that the change created.
struct QuantityChange {
  std::string_view procedure;
  std::optional<int32_t> type_code;
  std::string_view table;
  int64_t row = 0;
  std::string_view column;
  std::optional<double> before;
  double after = 0;
  com::Variant version_before;  // the row's Krts before the change
};

// Whether the database keeps the journal: a database made before it existed works
// on, unjournalled, until `mom init --upgrade` adds it.
bool KeepsQuantityJournal(ado::ProcedureContext& db);

// Appends the change. The row's version after it is the one the row-version trigger
// handed out last, so this runs straight after the update of that row.
void JournalQuantity(ado::ProcedureContext& db, const QuantityChange& change);

// Appends the planned quantities of an order line that the generation has just made,
// the line first and then its allocations.
void JournalGeneratedOrder(ado::ProcedureContext& db, std::string_view procedure, int32_t type_code, int64_t line_id);

}  // namespace database
