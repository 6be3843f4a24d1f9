#pragma once
// Class factories: the object a server library hands out for each class it serves.

#include "platform/com/object.h"
#include "platform/com/ptr.h"

namespace com {

struct IClassFactory : IUnknown {
  static constexpr Guid kIid = kIidIClassFactory;
  // `outer` must be null (no aggregation): CLASS_E_NOAGGREGATION otherwise.
  virtual HResult CreateInstance(IUnknown* outer, const Guid& iid, void** out) = 0;
  virtual HResult LockServer(bool lock) = 0;

 protected:
  ~IClassFactory() = default;
};

// Factory for class C, default-constructed. C must start with one reference.
template <class C>
class ClassFactory : public Object<IClassFactory> {
 public:
  HResult CreateInstance(IUnknown* outer, const Guid& iid, void** out) override {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (outer) return CLASS_E_NOAGGREGATION;
    try {
      Ptr<C> object = MakeObject<C>();
      return object->QueryInterface(iid, out);
    } catch (...) {
      return E_OUTOFMEMORY;
    }
  }
  HResult LockServer(bool lock) override {
    if (lock)
      ModuleObjectCreated();
    else
      ModuleObjectDestroyed();
    return S_OK;
  }
};

// Signatures of a server library's entry points (exported with C linkage).
extern "C" {
using DllGetClassObjectFn = HResult (*)(const Guid* clsid, const Guid* iid, void** out);
using DllCanUnloadNowFn = HResult (*)();
using DllRegisterServerFn = HResult (*)();
using DllUnregisterServerFn = HResult (*)();
}

}  // namespace com
