#pragma once
// Type information of a dispatch interface: member names, dispatch ids, parameters
// with their types, passing and defaults. It drives late-bound calls: omitted optional
// arguments take their declared defaults, values are coerced to the declared types.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/com/dispatch.h"
#include "platform/com/guid.h"
#include "platform/com/variant.h"

namespace com {

struct ParamDesc {
  std::string name;
  VarType type = VarType::Variant;
  // For object parameters: the expected interface ("Connection", "Recordset", "Object").
  std::string type_name;
  bool by_ref = true;
  bool optional = false;
  // Value of an omitted optional parameter; without one the type's empty value
  // ("" for text, 0 for numbers and dates, false for flags, Missing for variants).
  std::optional<Variant> default_value;
};

struct FuncDesc {
  std::string name;
  DispId id = 0;
  InvokeKind kind = InvokeKind::Method;
  std::vector<ParamDesc> params;
  VarType result = VarType::Empty;  // Empty: no result
  // Position in the interface's table of operations, counted from 0 after IDispatch.
  int slot = 0;

  // Index of the parameter called `name`, without regard to case; -1 if none.
  int FindParam(std::string_view name) const;
};

struct TypeInfo {
  std::string name;
  Guid iid;
  std::vector<FuncDesc> funcs;

  // Member lookup by name is without regard to case, as late binding does it.
  const FuncDesc* Find(std::string_view name, InvokeKind kind = InvokeKind::Method) const;
  const FuncDesc* Find(DispId id) const;
};

struct TypeLibInfo {
  std::string name;
  Guid libid;
  uint16_t major = 1, minor = 0;
};

// Case-insensitive comparison of ASCII names (member, parameter and field names).
bool NamesEqual(std::string_view a, std::string_view b);

}  // namespace com
