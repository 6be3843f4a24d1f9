#include "tools/mom/component_host.h"

#include <unistd.h>

#include <climits>
#include <cstdlib>
#include <filesystem>

#include "platform/com/creation.h"
#include "platform/com/late_binding.h"
#include "platform/com/registry.h"

namespace mom_console {

namespace {

std::filesystem::path ProgramDir() {
  char buf[PATH_MAX];
  ssize_t n = ::readlink("/proc/self/exe", buf, sizeof buf - 1);
  if (n <= 0) return std::filesystem::current_path();
  buf[n] = '\0';
  return std::filesystem::path(buf).parent_path();
}

// Looked up as creation looks it up: a system registration counts as well.
bool RegisteredWithExistingLibrary(const std::string& prog_id) {
  auto clsid = com::LookUpValue(prog_id + "\\CLSID");
  if (!clsid) return false;
  auto path = com::LookUpValue("CLSID\\" + *clsid + "\\InprocServer32");
  return path && std::filesystem::exists(*path);
}

}  // namespace

ServerLibraries FindServerLibraries() {
  std::filesystem::path dir;
  if (const char* env = std::getenv("MOM_LIB_DIR"); env && *env) {
    dir = env;
  } else {
    dir = ProgramDir().parent_path() / "lib";
#ifdef MOM_INSTALLED_SERVER_DIR
    // An installed console: the servers' own folder under the library folder.
    if (!std::filesystem::exists(dir / "KRZ7DEVUZIda.so"))
      dir = (ProgramDir() / MOM_INSTALLED_SERVER_DIR).lexically_normal();
#endif
  }
  return {(dir / "KRZ7DEVUZIda.so").string(), (dir / "mom_suite.so").string()};
}

void RegisterServers(const ServerLibraries& libraries) {
  com::RunRegistrationEntry(libraries.suite, "DllRegisterServer");
  com::RunRegistrationEntry(libraries.component, "DllRegisterServer");
}

void UnregisterServers(const ServerLibraries& libraries) {
  com::RunRegistrationEntry(libraries.component, "DllUnregisterServer");
  com::RunRegistrationEntry(libraries.suite, "DllUnregisterServer");
}

void EnsureRegistered() {
  if (RegisteredWithExistingLibrary("KRZ7DEVUZIda.clsMOM") && RegisteredWithExistingLibrary("REREVORU.ResourceSrv"))
    return;
  RegisterServers(FindServerLibraries());
}

com::Ptr<com::IDispatch> CreateClsMom() {
  EnsureRegistered();
  return com::CreateObject("KRZ7DEVUZIda.clsMOM");
}

com::Ptr<com::IDispatch> CreateLogin(const std::string& connection_string, const std::string& user,
                                     const std::string& accounting_set) {
  EnsureRegistered();
  com::Ptr<com::IDispatch> login = com::CreateObject("MomSuite.Login");
  com::PutProperty(login.get(), "KrDbName", com::Variant(connection_string));
  com::PutProperty(login.get(), "cUserId", com::Variant(user));
  com::PutProperty(login.get(), "cAcc_Id", com::Variant(accounting_set));
  return login;
}

}  // namespace mom_console
