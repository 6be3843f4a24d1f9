#include "bench/bench_environment.h"

#include <cstdlib>

#include "database/manufacturing_db.h"
#include "platform/com/creation.h"
#include "testing/test_support.h"

namespace mom_bench {

namespace {

const testing_support::TempDir& RunDirectory() {
  static testing_support::TempDir* dir = new testing_support::TempDir;
  return *dir;
}

}  // namespace

void RegisterServers() {
  static const bool registered = [] {
    setenv("MOM_REGISTRY", RunDirectory().File("registry.reg").c_str(), 1);
    com::RunRegistrationEntry(MOM_SUITE_LIBRARY, "DllRegisterServer");
    com::RunRegistrationEntry(MOM_COMPONENT_LIBRARY, "DllRegisterServer");
    return true;
  }();
  (void)registered;
}

const std::string& SampleDatabase() {
  static const std::string path = [] {
    RegisterServers();
    std::string p = RunDirectory().File("bench.db");
    database::CreateDatabase(p, /*with_sample=*/true, /*overwrite=*/false);
    return p;
  }();
  return path;
}

}  // namespace mom_bench
