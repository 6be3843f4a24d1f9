#include "platform/com/automation_object.h"

#include <vector>

#include "platform/com/error.h"
#include "platform/com/error_info.h"

namespace com {

namespace {

Variant EmptyValueOf(VarType t) {
  switch (t) {
    case VarType::String: return Variant(std::string());
    case VarType::I2: return Variant(int16_t{0});
    case VarType::I4: return Variant(int32_t{0});
    case VarType::I8: return Variant(int64_t{0});
    case VarType::UI1: return Variant(uint8_t{0});
    case VarType::R8: return Variant(0.0);
    case VarType::Bool: return Variant(false);
    case VarType::Date: return Variant(Date{0});
    case VarType::Currency: return Variant::FromCurrency(0);
    case VarType::Dispatch: return Variant(Ptr<IDispatch>());
    case VarType::Unknown: return Variant(Ptr<IUnknown>());
    case VarType::Variant: return Variant::Missing();
    default: return Variant();
  }
}

Variant Coerce(const Variant& value, const ParamDesc& param) {
  const Variant& v = value.Deref();
  if (param.type == VarType::Variant) return v;
  if ((param.type == VarType::Dispatch || param.type == VarType::Unknown) && v.is_object()) return v;
  return v.ConvertTo(param.type);
}

}  // namespace

HResult InvokeMember(const FuncDesc& func, std::span<Variant> args, Variant* result, ExcepInfo* excep,
                     const MemberBody& body) noexcept {
  if (args.size() > func.params.size()) return DISP_E_BADPARAMCOUNT;
  try {
    std::vector<Variant> locals(func.params.size());
    for (size_t i = 0; i < func.params.size(); ++i) {
      const ParamDesc& param = func.params[i];
      if (i >= args.size() || args[i].is_missing()) {
        if (!param.optional) return DISP_E_PARAMNOTOPTIONAL;
        locals[i] = param.default_value ? *param.default_value : EmptyValueOf(param.type);
        continue;
      }
      locals[i] = Coerce(args[i], param);
    }
    Variant r = body(locals);
    for (size_t i = 0; i < args.size() && i < func.params.size(); ++i)
      if (args[i].is_ref() && func.params[i].by_ref) args[i].Deref() = locals[i];
    if (result) *result = std::move(r);
    return S_OK;
  } catch (...) {
    StatusFromCurrentException(excep);
    return DISP_E_EXCEPTION;
  }
}

AutomationObject::AutomationObject(std::string interface_name, Guid iid) {
  type_info_.name = std::move(interface_name);
  type_info_.iid = iid;
}

void AutomationObject::AddMember(FuncDesc desc, MemberBody body) {
  if (desc.id == 0) {
    DispId next = 1;
    for (const FuncDesc& f : type_info_.funcs)
      if (f.id >= next) next = f.id + 1;
    desc.id = next;
  }
  desc.slot = static_cast<int>(type_info_.funcs.size());
  type_info_.funcs.push_back(std::move(desc));
  bodies_.push_back(std::move(body));
}

HResult AutomationObject::GetIdOfName(std::string_view name, DispId* id) {
  if (!id) return E_POINTER;
  const FuncDesc* f = type_info_.Find(name);
  if (!f) return DISP_E_UNKNOWNNAME;
  *id = f->id;
  return S_OK;
}

HResult AutomationObject::Invoke(DispId id, InvokeKind, std::span<Variant> args, Variant* result,
                                 ExcepInfo* excep) {
  for (size_t i = 0; i < type_info_.funcs.size(); ++i)
    if (type_info_.funcs[i].id == id) return InvokeMember(type_info_.funcs[i], args, result, excep, bodies_[i]);
  return DISP_E_MEMBERNOTFOUND;
}

bool AutomationObject::QueryExtraInterface(const Guid& iid, void** out) {
  if (iid == kNullGuid || !(iid == type_info_.iid)) return false;
  *out = static_cast<IDispatch*>(this);
  return true;
}

ParamDesc InParam(std::string name, VarType type) {
  ParamDesc p;
  p.name = std::move(name);
  p.type = type;
  p.by_ref = false;
  return p;
}

ParamDesc RefParam(std::string name, VarType type) {
  ParamDesc p;
  p.name = std::move(name);
  p.type = type;
  p.by_ref = true;
  return p;
}

ParamDesc OptParam(std::string name, VarType type, Variant default_value, bool by_ref) {
  ParamDesc p;
  p.name = std::move(name);
  p.type = type;
  p.by_ref = by_ref;
  p.optional = true;
  p.default_value = std::move(default_value);
  return p;
}

}  // namespace com
