#include "platform/com/late_binding.h"

#include <string>

#include "platform/com/error.h"

namespace com {

void RaiseInvokeFailure(HResult hr, const ExcepInfo& excep, std::string_view member) {
  switch (hr) {
    case DISP_E_EXCEPTION: Raise(excep.number, excep.description, excep.source);
    case DISP_E_UNKNOWNNAME:
    case DISP_E_MEMBERNOTFOUND:
      Raise(kErrNoSuchMember, StandardDescription(kErrNoSuchMember) + " (" + std::string(member) + ")");
    case DISP_E_BADPARAMCOUNT: Raise(kErrWrongArgumentCount);
    case DISP_E_PARAMNOTOPTIONAL: Raise(kErrArgumentNotOptional);
    case DISP_E_TYPEMISMATCH: Raise(kErrTypeMismatch);
    case DISP_E_OVERFLOW: Raise(kErrOverflow);
    default:
      if (!excep.description.empty()) Raise(ErrorNumberFromStatus(hr), excep.description, excep.source);
      Raise(ErrorNumberFromStatus(hr), StandardDescription(kErrAutomation));
  }
}

Variant CallById(IDispatch* object, DispId id, std::span<Variant> args, InvokeKind kind) {
  if (!object) Raise(91);
  Variant result;
  ExcepInfo excep;
  HResult hr = object->Invoke(id, kind, args, &result, &excep);
  if (Failed(hr)) RaiseInvokeFailure(hr, excep, "#" + std::to_string(id));
  return result;
}

Variant CallByName(IDispatch* object, std::string_view name, std::span<Variant> args, InvokeKind kind) {
  if (!object) Raise(91);
  DispId id = 0;
  HResult hr = object->GetIdOfName(name, &id);
  if (Failed(hr)) RaiseInvokeFailure(hr, ExcepInfo{}, name);
  Variant result;
  ExcepInfo excep;
  hr = object->Invoke(id, kind, args, &result, &excep);
  if (Failed(hr)) RaiseInvokeFailure(hr, excep, name);
  return result;
}

Variant GetProperty(IDispatch* object, std::string_view name) {
  return CallByName(object, name, {}, InvokeKind::PropertyGet);
}

void PutProperty(IDispatch* object, std::string_view name, Variant value) {
  Variant args[] = {std::move(value)};
  CallByName(object, name, args, InvokeKind::PropertyPut);
}

}  // namespace com
