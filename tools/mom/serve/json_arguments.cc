#include "tools/mom/serve/json_arguments.h"

#include <cstdint>

#include "platform/com/date.h"
#include "tools/mom/console_error.h"

namespace mom_service {

using mom_console::Json;
using mom_console::UsageError;

com::Variant ArgumentFromJson(const com::ParamDesc& param, const Json& json) {
  auto wrong = [&](const char* expected) -> UsageError {
    return UsageError(param.name + ": expected " + expected + ", got " +
                      json.dump(-1, ' ', false, Json::error_handler_t::replace));
  };
  switch (param.type) {
    case com::VarType::I2:
    case com::VarType::I4: {
      const bool narrow = param.type == com::VarType::I2;
      if (!json.is_number_integer()) throw wrong("an integer");
      // Unsigned values beyond int64 are out of range as much as large signed ones.
      if (json.is_number_unsigned() && json.get<uint64_t>() > static_cast<uint64_t>(INT32_MAX))
        throw wrong(narrow ? "a 16-bit integer" : "a 32-bit integer");
      int64_t v = json.get<int64_t>();
      if (narrow ? (v < INT16_MIN || v > INT16_MAX) : (v < INT32_MIN || v > INT32_MAX))
        throw wrong(narrow ? "a 16-bit integer" : "a 32-bit integer");
      return narrow ? com::Variant(static_cast<int16_t>(v)) : com::Variant(static_cast<int32_t>(v));
    }
    case com::VarType::R8:
      if (!json.is_number()) throw wrong("a number");
      return com::Variant(json.get<double>());
    case com::VarType::Bool:
      if (!json.is_boolean()) throw wrong("true or false");
      return com::Variant(json.get<bool>());
    case com::VarType::Date: {
      if (!json.is_string()) throw wrong("a date YYYY-MM-DD[ HH:MM:SS]");
      auto d = com::ParseDate(json.get<std::string>());
      if (!d) throw wrong("a date YYYY-MM-DD[ HH:MM:SS]");
      return com::Variant(*d);
    }
    case com::VarType::String:
      if (!json.is_string()) throw wrong("a string");
      return com::Variant(json.get<std::string>());
    default: break;
  }
  if (param.type_name == "Recordset") {
    if (!json.is_array() && !json.is_object()) throw wrong("a recordset (an array of row objects)");
    return com::Variant(com::Ptr<com::IUnknown>(mom_console::RecordsetFromJson(json, param.name).get()));
  }
  throw UsageError(param.name + " is supplied by the service (from its database, --user and --acc), not in the request");
}

}  // namespace mom_service
