// mom register [--system] | mom unregister [--system]

#include <filesystem>
#include <optional>
#include <system_error>

#include "platform/com/registry.h"
#include "platform/com/thread_values.h"
#include "tools/mom/commands.h"
#include "tools/mom/component_host.h"
#include "tools/mom/console_error.h"

namespace mom_console {

namespace {

// Removing the package leaves nothing behind: a system registry that holds nothing
// more goes, with its lock file and its folder when that is empty. Only the package's
// maintainer scripts run this, one at a time, so no registration races the removal.
void RemoveIfEmpty(const std::string& path) {
  if (!com::Registry(path).empty()) return;
  std::error_code ignored;
  std::filesystem::remove(path, ignored);
  std::filesystem::remove(path + ".lock", ignored);
  std::filesystem::path dir = std::filesystem::path(path).parent_path();
  if (std::filesystem::is_empty(dir, ignored)) std::filesystem::remove(dir, ignored);
}

}  // namespace

int RunRegister(const Words& words, std::ostream& out, bool unregister) {
  bool system = false;
  for (const std::string& w : words) {
    if (w == "--system")
      system = true;
    else
      throw UsageError("unknown argument '" + w + "'");
  }
  // The libraries' entry points write where Registry::DefaultPath() says on this
  // thread: with --system, the machine's registry.
  std::optional<com::ScopedThreadValue> system_registry;
  if (system) system_registry.emplace(com::kRegistryPathValue, com::Variant(com::Registry::SystemPath()));
  const std::string registry = com::Registry::DefaultPath();
  ServerLibraries libraries = FindServerLibraries();
  if (unregister) {
    UnregisterServers(libraries);
    if (system) RemoveIfEmpty(registry);
    out << "unregistered " << libraries.component << " and " << libraries.suite;
  } else {
    RegisterServers(libraries);
    out << "registered " << libraries.component << " and " << libraries.suite;
  }
  out << " in " << registry << "\n";
  return kExitOk;
}

}  // namespace mom_console
