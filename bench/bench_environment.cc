#include "bench/bench_environment.h"

#include <cstdlib>

#include "database/manufacturing_db.h"
#include "platform/com/creation.h"
#include "testing/test_support.h"

namespace mom_bench {

const std::string& SampleDatabase() {
  static testing_support::TempDir* dir = new testing_support::TempDir;
  static const std::string path = [] {
    setenv("MOM_REGISTRY", dir->File("registry.reg").c_str(), 1);
    com::RunRegistrationEntry(MOM_SUITE_LIBRARY, "DllRegisterServer");
    com::RunRegistrationEntry(MOM_COMPONENT_LIBRARY, "DllRegisterServer");
    std::string p = dir->File("bench.db");
    database::CreateDatabase(p, /*with_sample=*/true, /*overwrite=*/false);
    return p;
  }();
  return path;
}

}  // namespace mom_bench
