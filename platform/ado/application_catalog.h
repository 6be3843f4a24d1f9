#pragma once
// What the application tells every provider about its own database: knowledge that no
// back end can give and that no provider builds in. The database layer sets it when
// it is loaded (database/data_layer_hooks.cc); without it a provider restores no
// spellings and treats no column name as reserved.
//
//   spelling_table   a table with a column `name` that lists identifiers as the
//                    application spells them ("MoDId"). A back end that folds unquoted
//                    names (PostgreSQL: "modid") gives result columns that spelling
//                    back. Kept in the database, so that a database made by a later
//                    schema brings its own names.
//   reserved_columns column names of the application that a provider's SQL reserves
//                    ("OffSet" is a column in T-SQL and OFFSET a reserved word in
//                    PostgreSQL): such a provider quotes them where a statement uses
//                    them as names.
//
// Set once, read by every session: SetApplicationCatalog replaces it whole, so that a
// session keeps the one it started with.

#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace ado {

struct ApplicationCatalog {
  std::string spelling_table;  // empty: none
  std::vector<std::string> reserved_columns;

  // `word` is one of reserved_columns, without regard to case.
  bool IsReservedColumn(std::string_view word) const;
};

void SetApplicationCatalog(ApplicationCatalog catalog);
// The catalog set last; an empty one before any.
std::shared_ptr<const ApplicationCatalog> CurrentApplicationCatalog();

}  // namespace ado
