#pragma once
// Object creation through the registry: a ProgID or CLSID leads to a server library,
// which is loaded once per process with dlopen and asked for the class factory through
// its DllGetClassObject.

#include <string>
#include <string_view>

#include "platform/com/dispatch.h"
#include "platform/com/ptr.h"

namespace com {

HResult CLSIDFromProgID(std::string_view prog_id, Guid* clsid);
HResult CoCreateInstance(const Guid& clsid, const Guid& iid, void** out);

[[noreturn]] void RaiseCreateFailure(HResult hr, std::string_view what);

// Raising forms, for late-binding clients: 429 "ActiveX component can't create object"
// when the class is not registered or its library cannot be loaded.
Ptr<IDispatch> CreateObject(std::string_view prog_id);
template <class I>
Ptr<I> CreateInstance(const Guid& clsid, const Guid& iid = I::kIid) {
  Ptr<I> p;
  HResult hr = CoCreateInstance(clsid, iid, p.put_void());
  if (Failed(hr)) RaiseCreateFailure(hr, clsid.ToString());
  return p;
}
// Runs a library's self-registration entry point ("DllRegisterServer" or
// "DllUnregisterServer"), as regsvr32 would. Raises com::Error on failure.
void RunRegistrationEntry(const std::string& library_path, const char* entry);

// The path of the shared library that contains `address` (for self-registration).
std::string LibraryPathOf(const void* address);

}  // namespace com
