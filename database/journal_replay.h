#pragma once
// Reading the quantity journal (quantity_journal.h): the history of one order, order
// line, allocation or routing line with running totals, and the replay that checks
// every journalled counter against its journal.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/ado/connection.h"

namespace database {

// ReadJournal for an order code that no order has (com::Error, application range).
inline constexpr int32_t kErrNoSuchOrder = static_cast<int32_t>(0x80040000u + 512 + 1023);

// One journal row, with the counter's running total after it: its opening value (the
// value before its first journalled change, zero for a row the journal saw created)
// plus every change up to this one.
struct JournalEntry {
  int64_t id = 0;
  std::string changed_at;
  std::string user;
  std::string application;
  std::string procedure;
  std::optional<int32_t> type_code;
  std::string table;
  int64_t row = 0;
  std::string column;
  std::optional<double> before;
  double after = 0;
  double change = 0;
  std::optional<int64_t> version_before;
  std::optional<int64_t> version_after;
  double total = 0;
};

// What a history covers: an order by its code with all its lines, allocations,
// routing lines and operation-move lines, or one line, allocation or routing line by
// its key.
struct JournalSelection {
  enum class Kind { kOrder, kOrderLine, kAllocation, kRoutingLine };
  Kind kind = Kind::kOrder;
  std::string order_code;  // kOrder
  int64_t key = 0;         // the others
};

// The selection's journal rows, oldest first. Raises kErrNoQuantityJournal for a
// database without the journal.
std::vector<JournalEntry> ReadJournal(ado::Connection& connection, const JournalSelection& selection);

// A counter that differs from its journal.
struct CounterDrift {
  std::string table;
  int64_t row = 0;
  std::string column;
  double journal_value = 0;  // where the journal's last change left it
  double current_value = 0;  // what the row holds
  // The first journal row that did not start where the one before it ended: the
  // counter was changed in between outside the journal.
  std::optional<int64_t> break_at;
  double break_expected = 0;  // the value the journal had reached
  double break_found = 0;     // the value that journal row found
  int64_t entries = 0;
  std::string last_changed_at;
  std::string last_procedure;
  std::string documents;  // which documents to look at, in words
};

struct VerifyReport {
  int64_t entries = 0;   // journal rows replayed
  int64_t counters = 0;  // counters checked
  std::vector<CounterDrift> drifts;
};

// Replays the whole journal from each counter's opening value and compares every
// journalled counter whose row still exists with the row. Changes nothing. Raises
// kErrNoQuantityJournal for a database without the journal.
VerifyReport VerifyJournal(ado::Connection& connection);

// The row's token as the component reads it, without its trailing blanks ("0.2001").
std::string VersionToken(int64_t version);

}  // namespace database
