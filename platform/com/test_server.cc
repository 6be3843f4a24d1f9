// A minimal server library for the runtime's own tests: one class, "ComTest.Counter",
// with a by-reference increment, registered through its own entry points.

#include "platform/com/automation_object.h"
#include "platform/com/class_factory.h"
#include "platform/com/creation.h"
#include "platform/com/error_info.h"
#include "platform/com/registry.h"

namespace {

constexpr com::Guid kCounterClsid{0x11111111, 0x2222, 0x3333, {0x44, 0x44, 0x55, 0x55, 0x55, 0x55, 0x55, 0x55}};

class Counter : public com::AutomationObject {
 public:
  Counter() : AutomationObject("ICounter") {
    AddMember({"Increment", 0, com::InvokeKind::Method,
               {com::RefParam("value", com::VarType::I4), com::OptParam("step", com::VarType::I4, 1, false)},
               com::VarType::Bool},
              [](std::span<com::Variant> a) {
                a[0] = com::Variant(a[0].ToI4() + a[1].ToI4());
                return com::Variant(true);
              });
    AddMember({"Fail", 0, com::InvokeKind::Method, {}, com::VarType::Empty},
              [](std::span<com::Variant>) -> com::Variant { throw com::Error(1234, "计数器失败"); });
  }
};

}  // namespace

extern "C" __attribute__((visibility("default"))) com::HResult DllGetClassObject(const com::Guid* clsid,
                                                                                 const com::Guid* iid,
                                                                                 void** out) {
  if (!clsid || !iid || !out) return com::E_POINTER;
  *out = nullptr;
  if (!(*clsid == kCounterClsid)) return com::CLASS_E_CLASSNOTAVAILABLE;
  auto factory = com::MakeObject<com::ClassFactory<Counter>>();
  return factory->QueryInterface(*iid, out);
}

extern "C" __attribute__((visibility("default"))) com::HResult DllCanUnloadNow() {
  return com::ModuleInUse() ? com::S_FALSE : com::S_OK;
}

extern "C" __attribute__((visibility("default"))) com::HResult DllRegisterServer() {
  return com::GuardCall([] {
    com::Registry::Update(com::Registry::DefaultPath(), [](com::Registry& r) {
      com::ClassRegistration c;
      c.clsid = kCounterClsid;
      c.prog_id = "ComTest.Counter";
      c.description = "Counter";
      c.library_path = com::LibraryPathOf(reinterpret_cast<const void*>(&DllRegisterServer));
      com::RegisterClass(r, c);
    });
  });
}

extern "C" __attribute__((visibility("default"))) com::HResult DllUnregisterServer() {
  return com::GuardCall([] {
    com::Registry::Update(com::Registry::DefaultPath(),
                          [](com::Registry& r) { com::UnregisterClass(r, kCounterClsid, "ComTest.Counter"); });
  });
}
