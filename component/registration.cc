// Entry points of the component library: the class factory, self-registration as an
// apartment-threaded in-process server with its type library and interfaces, and the
// version resource.

#include "component/cls_mom.h"
#include "component/identity.h"
#include "component/version_resource.h"
#include "platform/com/class_factory.h"
#include "platform/com/creation.h"
#include "platform/com/error_info.h"
#include "platform/com/registry.h"

namespace {

std::string ThisLibrary() { return com::LibraryPathOf(reinterpret_cast<const void*>(&mom::kVersionResource)); }

}  // namespace

extern "C" __attribute__((visibility("default"))) com::HResult DllGetClassObject(const com::Guid* clsid,
                                                                                 const com::Guid* iid,
                                                                                 void** out) {
  if (!clsid || !iid || !out) return com::E_POINTER;
  *out = nullptr;
  if (!(*clsid == mom::kClsid)) return com::CLASS_E_CLASSNOTAVAILABLE;
  return com::MakeObject<com::ClassFactory<mom::ClsMom>>()->QueryInterface(*iid, out);
}

extern "C" __attribute__((visibility("default"))) com::HResult DllCanUnloadNow() {
  return com::ModuleInUse() ? com::S_FALSE : com::S_OK;
}

extern "C" __attribute__((visibility("default"))) com::HResult DllRegisterServer() {
  return com::GuardCall([] {
    const std::string path = ThisLibrary();
    com::Registry::Update(com::Registry::DefaultPath(), [&](com::Registry& r) {
      com::RegisterTypeLib(r, {mom::kLibid, mom::kTypeLibName, mom::kTypeLibVersion, path});
      com::ClassRegistration c;
      c.clsid = mom::kClsid;
      c.prog_id = mom::kProgId;
      c.description = mom::kClassName;
      c.library_path = path;
      c.threading_model = mom::kThreadingModel;
      c.typelib = mom::kLibid;
      c.version = mom::kTypeLibVersion;
      com::RegisterClass(r, c);
      com::RegisterInterface(r, {mom::kIid, mom::kInterfaceName, mom::kLibid, mom::kTypeLibVersion});
      com::RegisterInterface(r, {mom::kIidEarlier, mom::kInterfaceName, mom::kLibid, mom::kTypeLibVersion});
    });
  });
}

extern "C" __attribute__((visibility("default"))) com::HResult DllUnregisterServer() {
  return com::GuardCall([] {
    com::Registry::Update(com::Registry::DefaultPath(), [](com::Registry& r) {
      com::UnregisterClass(r, mom::kClsid, mom::kProgId);
      com::UnregisterInterface(r, mom::kIid);
      com::UnregisterInterface(r, mom::kIidEarlier);
      com::UnregisterTypeLib(r, mom::kLibid, mom::kTypeLibVersion);
    });
  });
}

extern "C" __attribute__((visibility("default"))) const mom::VersionResource* DllGetVersionResource() {
  return &mom::kVersionResource;
}
