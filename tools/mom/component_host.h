#pragma once
// What the console does as a host of the component: finds the server libraries beside
// itself, registers them when they are not, creates clsMOM and login objects.

#include <string>

#include "platform/com/dispatch.h"
#include "platform/com/ptr.h"

namespace mom_console {

struct ServerLibraries {
  std::string component;  // KRZ7DEVUZIda.so
  std::string suite;      // mom_suite.so
};

// The libraries of this installation: $MOM_LIB_DIR, or ../lib beside the program (a
// build tree), or the servers' folder of the installed package.
ServerLibraries FindServerLibraries();

// Runs the libraries' registration entry points (suite first: the component needs it).
void RegisterServers(const ServerLibraries& libraries);
void UnregisterServers(const ServerLibraries& libraries);
// Registers both unless the component and the resource server are registered with
// libraries that exist (in any registry that lookups search).
void EnsureRegistered();

com::Ptr<com::IDispatch> CreateClsMom();
com::Ptr<com::IDispatch> CreateLogin(const std::string& connection_string, const std::string& user,
                                     const std::string& accounting_set);

}  // namespace mom_console
