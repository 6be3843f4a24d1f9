#include "platform/ado/provider.h"

#include <map>
#include <mutex>

#include "platform/ado/error.h"
#include "platform/ado/text.h"

namespace ado {

namespace {

struct Registry {
  std::mutex mutex;
  std::map<std::string, SessionFactory> factories;  // lower-cased name -> factory
};

// Filled by the providers themselves (registration.cc in each provider's folder).
Registry& Providers() {
  static Registry* registry = new Registry;
  return *registry;
}

}  // namespace

void RegisterProvider(std::string name, SessionFactory factory) {
  Registry& r = Providers();
  std::lock_guard lock(r.mutex);
  r.factories[AsciiLower(name)] = std::move(factory);
}

std::unique_ptr<Session> OpenSession(const ConnectionString& cs, int32_t connection_timeout_s) {
  std::string name = cs.GetOr("Provider", "SQLite");
  SessionFactory factory;
  {
    Registry& r = Providers();
    std::lock_guard lock(r.mutex);
    auto it = r.factories.find(AsciiLower(TrimBlanks(name)));
    if (it == r.factories.end())
      Raise(kErrProviderNotFound, Describe(kErrProviderNotFound) + " (" + name + ")");
    factory = it->second;
  }
  return factory(cs, connection_timeout_s);
}

}  // namespace ado
