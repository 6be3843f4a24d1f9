// Entry points of the suite's server library: class factories for every class it
// serves and self-registration.

#include <functional>
#include <vector>

#include "platform/com/class_factory.h"
#include "platform/com/creation.h"
#include "platform/com/error_info.h"
#include "platform/com/registry.h"
#include "suite/current_login.h"
#include "suite/common_functions.h"
#include "suite/ds_to_rs.h"
#include "suite/ecn_apply_server.h"
#include "suite/login.h"
#include "suite/ref_lookup.h"
#include "suite/order_servers.h"
#include "suite/part_lookup.h"
#include "suite/resource_server.h"

namespace {

struct SuiteClass {
  com::Guid clsid;
  const char* prog_id;
  const char* description;
  std::function<com::Ptr<com::IClassFactory>()> factory;
};

template <class C>
com::Ptr<com::IClassFactory> FactoryOf() {
  return com::MakeObject<com::ClassFactory<C>>();
}

const std::vector<SuiteClass>& Classes() {
  static const std::vector<SuiteClass> classes = {
      {suite::kClsidResourceServer, suite::kProgIdResourceServer, "Resource server", FactoryOf<suite::ResourceServer>},
      {suite::kClsidLogin, suite::kProgIdLogin, "Login", FactoryOf<suite::Login>},
      {suite::kClsidDsToRs, suite::kProgIdDsToRs, "Data set to recordset", FactoryOf<suite::DsToRs>},
      {suite::kClsidEcnApplyServer, suite::kProgIdEcnApplyServer, "Engineering-change applications",
       FactoryOf<suite::EcnApplyServer>},
      {suite::kClsidRefLookup, suite::kProgIdRefLookup, "Lookup", FactoryOf<suite::RefLookup>},
      {suite::kClsidCurrentLogin, suite::kProgIdCurrentLogin, "Current login", FactoryOf<suite::CurrentLogin>},
      {suite::kClsidSoFunc, suite::kProgIdSoFunc, "Sales order functions", FactoryOf<suite::SoFunc>},
      {suite::kClsidExInterface, suite::kProgIdExInterface, "External order interface",
       FactoryOf<suite::ExInterface>},
      {suite::kClsidPartLookup, suite::kProgIdPartLookup, "Part lookup", FactoryOf<suite::PartLookup>},
      {suite::kClsidCommonFunctions, suite::kProgIdCommonFunctions, "Common functions",
       FactoryOf<suite::CommonFunctions>},
  };
  return classes;
}

}  // namespace

extern "C" __attribute__((visibility("default"))) com::HResult DllGetClassObject(const com::Guid* clsid,
                                                                                 const com::Guid* iid,
                                                                                 void** out) {
  if (!clsid || !iid || !out) return com::E_POINTER;
  *out = nullptr;
  for (const SuiteClass& c : Classes())
    if (c.clsid == *clsid) return c.factory()->QueryInterface(*iid, out);
  return com::CLASS_E_CLASSNOTAVAILABLE;
}

extern "C" __attribute__((visibility("default"))) com::HResult DllCanUnloadNow() {
  return com::ModuleInUse() ? com::S_FALSE : com::S_OK;
}

extern "C" __attribute__((visibility("default"))) com::HResult DllRegisterServer() {
  return com::GuardCall([] {
    std::string path = com::LibraryPathOf(reinterpret_cast<const void*>(&DllRegisterServer));
    com::Registry::Update(com::Registry::DefaultPath(), [&](com::Registry& r) {
      for (const SuiteClass& c : Classes()) {
        com::ClassRegistration reg;
        reg.clsid = c.clsid;
        reg.prog_id = c.prog_id;
        reg.description = c.description;
        reg.library_path = path;
        com::RegisterClass(r, reg);
      }
    });
  });
}

extern "C" __attribute__((visibility("default"))) com::HResult DllUnregisterServer() {
  return com::GuardCall([] {
    com::Registry::Update(com::Registry::DefaultPath(), [](com::Registry& r) {
      for (const SuiteClass& c : Classes()) com::UnregisterClass(r, c.clsid, c.prog_id);
    });
  });
}
