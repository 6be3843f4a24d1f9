// mom register | mom unregister

#include "platform/com/registry.h"
#include "tools/mom/commands.h"
#include "tools/mom/component_host.h"
#include "tools/mom/console_error.h"

namespace mom_console {

int RunRegister(const Words& words, std::ostream& out, bool unregister) {
  if (!words.empty()) throw UsageError("takes no arguments");
  ServerLibraries libraries = FindServerLibraries();
  if (unregister) {
    UnregisterServers(libraries);
    out << "unregistered " << libraries.component << " and " << libraries.suite;
  } else {
    RegisterServers(libraries);
    out << "registered " << libraries.component << " and " << libraries.suite;
  }
  out << " in " << com::Registry::DefaultPath() << "\n";
  return kExitOk;
}

}  // namespace mom_console
