#pragma once
// The column names of the manufacturing schema as the schema spells them.

#include <string>
#include <vector>

namespace database {

// Every column name of SchemaSql(), once each, spelled as declared ("MoDId",
// "QualifiedInQty"). Read from the SQLite schema itself so that the list cannot
// drift from it. Raises std::runtime_error when the schema does not load.
std::vector<std::string> SchemaColumnNames();

}  // namespace database
