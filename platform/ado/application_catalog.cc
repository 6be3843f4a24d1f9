#include "platform/ado/application_catalog.h"

#include <mutex>

#include "platform/ado/text.h"

namespace ado {

namespace {

struct Current {
  std::mutex mutex;
  std::shared_ptr<const ApplicationCatalog> catalog = std::make_shared<const ApplicationCatalog>();
};

Current& Instance() {
  static Current* current = new Current;
  return *current;
}

}  // namespace

bool ApplicationCatalog::IsReservedColumn(std::string_view word) const {
  for (const std::string& name : reserved_columns)
    if (EqualsIgnoreCase(word, name)) return true;
  return false;
}

void SetApplicationCatalog(ApplicationCatalog catalog) {
  auto next = std::make_shared<const ApplicationCatalog>(std::move(catalog));
  Current& c = Instance();
  std::lock_guard lock(c.mutex);
  c.catalog = std::move(next);
}

std::shared_ptr<const ApplicationCatalog> CurrentApplicationCatalog() {
  Current& c = Instance();
  std::lock_guard lock(c.mutex);
  return c.catalog;
}

}  // namespace ado
