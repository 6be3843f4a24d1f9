#pragma once
// SQL functions that translated statements call, registered on every connection.

struct sqlite3;

namespace ado::sqlite {

// mom_money_text(row_version), mom_getdate(), mom_cast_int(x), mom_quantity(x),
// mom_session_user(), mom_application_name() and round(x[, places]) in place of
// SQLite's own;
// returns an SQLite result code.
int RegisterFunctions(sqlite3* db);

}  // namespace ado::sqlite
