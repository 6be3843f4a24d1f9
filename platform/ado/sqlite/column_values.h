#pragma once
// Values between SQLite and the data layer: column types from declared types, row
// values converted to their column's type, and parameter values bound to statements.

#include <string_view>

#include "platform/ado/provider.h"
#include "platform/com/variant.h"

struct sqlite3_stmt;

namespace ado::sqlite {

// The column a declared type describes ("NVARCHAR(40)", "DECIMAL(28,6)"); type
// adVariant when the declared type is empty or unknown.
ColumnInfo ColumnFromDeclaredType(std::string_view name, std::string_view declared);

// Describes result column `i` of `stmt`: by its declared type, else as a date when
// `current_time` (a call of the current-time function), else by the storage class of
// the value in the current row (`has_row`), else adVariant.
ColumnInfo DescribeColumn(sqlite3_stmt* stmt, int i, bool has_row, bool current_time);
// DescribeColumn in two steps: what the statement declares, which holds as long as
// the statement is not compiled again, then what the row and the text add to it.
ColumnInfo ColumnAsDeclared(sqlite3_stmt* stmt, int i);
ColumnInfo CompleteColumn(ColumnInfo declared, sqlite3_stmt* stmt, int i, bool has_row, bool current_time);

// Column `i` of the current row as a value of `info`'s type (Null for NULL).
com::Variant ReadValue(sqlite3_stmt* stmt, int i, const ColumnInfo& info);

// Binds `value` to 1-based parameter `index`; returns the SQLite result code. Raises
// com::Error (type mismatch) for values a statement cannot take, such as objects.
int BindValue(sqlite3_stmt* stmt, int index, const com::Variant& value);

}  // namespace ado::sqlite
