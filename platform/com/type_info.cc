#include "platform/com/type_info.h"

#include <cctype>

namespace com {

bool NamesEqual(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i])))
      return false;
  return true;
}

int FuncDesc::FindParam(std::string_view param_name) const {
  for (size_t i = 0; i < params.size(); ++i)
    if (NamesEqual(params[i].name, param_name)) return static_cast<int>(i);
  return -1;
}

const FuncDesc* TypeInfo::Find(std::string_view member, InvokeKind kind) const {
  const FuncDesc* any = nullptr;
  for (const FuncDesc& f : funcs) {
    if (!NamesEqual(f.name, member)) continue;
    if (f.kind == kind) return &f;
    if (!any) any = &f;
  }
  return any;
}

const FuncDesc* TypeInfo::Find(DispId id) const {
  for (const FuncDesc& f : funcs)
    if (f.id == id) return &f;
  return nullptr;
}

}  // namespace com
