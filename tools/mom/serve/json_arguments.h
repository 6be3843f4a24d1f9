#pragma once
// The service's arguments: a request body is one JSON object of named arguments, each
// value of the JSON type that its parameter takes:
//   I2, I4    an integer within the type's range        "MoRoutingDId": 3003
//   R8        a number                                  "fNetChgQty": 2.5
//   flag      true or false                             "bBPFlag": false
//   text      a string                                  "cBusType": "产品入库"
//   date      a string "YYYY-MM-DD[ HH:MM:SS]"           "CurDate": "2024-05-01"
//   recordset an array of row objects, or {"fields": [...], "rows": [...]}
// Connections and the login object are supplied by the service, never given.

#include <string>

#include "platform/com/type_info.h"
#include "platform/com/variant.h"
#include "tools/mom/json_values.h"

namespace mom_service {

// The value `json` gives the parameter; raises mom_console::UsageError, worded as
// `mom call` words it ("NAME: expected ..., got ...") when the JSON type is not the
// parameter's or the value does not fit it.
com::Variant ArgumentFromJson(const com::ParamDesc& param, const mom_console::Json& json);

}  // namespace mom_service
