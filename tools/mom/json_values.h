#pragma once
// The console's JSON forms of values:
//   a recordset is {"fields":[names in order],"rows":[{name: value, ...}, ...]};
//   a date is "YYYY-MM-DD HH:MM:SS"; Empty and Null are null; flags are true/false.
// A recordset given as JSON (that form, or a plain array of row objects) becomes a
// disconnected recordset whose field types are inferred from the values.

#include <string>

#include <nlohmann/json.hpp>

#include "platform/ado/recordset.h"
#include "platform/com/variant.h"

namespace mom_console {

using Json = nlohmann::ordered_json;

Json ToJson(const com::Variant& value);
Json RecordsetToJson(ado::Recordset& rs);

// Raises UsageError with `what` in the message when the JSON is not a recordset.
com::Ptr<ado::Recordset> RecordsetFromJson(const Json& json, const std::string& what);
com::Ptr<ado::Recordset> RecordsetFromFile(const std::string& path);

}  // namespace mom_console
