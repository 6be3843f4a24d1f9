#pragma once
// Values between PostgreSQL (text format) and the data layer: result columns described
// by type OID and modifier, row values converted to the column's type, and parameter
// values as the untyped text the server infers a type for.

#include <optional>
#include <string>
#include <string_view>

#include "platform/ado/provider.h"
#include "platform/com/variant.h"

namespace ado::postgres {

// Type OIDs of the built-in types the provider knows.
enum Oid : unsigned {
  kBoolOid = 16,
  kByteaOid = 17,
  kInt8Oid = 20,
  kInt2Oid = 21,
  kInt4Oid = 23,
  kTextOid = 25,
  kFloat4Oid = 700,
  kFloat8Oid = 701,
  kBpcharOid = 1042,
  kVarcharOid = 1043,
  kDateOid = 1082,
  kTimestampOid = 1114,
  kTimestamptzOid = 1184,
  kNumericOid = 1700,
  kRefcursorOid = 1790,
};

// The column of type `oid` with modifier `typmod` (-1 when none).
ColumnInfo DescribeColumn(std::string name, unsigned oid, int typmod);

// The text of a value of column `info` (type `oid`) as the server sent it.
com::Variant ReadValue(std::string_view text, unsigned oid, const ColumnInfo& info);

// A parameter value as text; nullopt for a database null (Empty, Null). Raises
// com::Error (type mismatch) for values a statement cannot take, such as objects.
std::optional<std::string> ParameterText(const com::Variant& value);

// The type OID of a value for a statement that cannot infer one: 0 (unknown) for
// text and nulls, whose context decides.
unsigned ParameterType(const com::Variant& value);

}  // namespace ado::postgres
