#pragma once
// The baseline of the journal's cost: the same database as one made before the
// quantity journal, so that the same calls run without it.

#include <string>

namespace mom_bench {

// Turns the database `target` (an SQLite path or a PostgreSQL connection string)
// into one without the journal: its table and trigger dropped, the SQLite file back at
// schema version 1, the server's procedures without the statements that write it.
void RemoveQuantityJournal(const std::string& target);

}  // namespace mom_bench
