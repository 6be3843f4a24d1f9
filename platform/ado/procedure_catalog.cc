#include "platform/ado/procedure_catalog.h"

#include <map>
#include <mutex>
#include <utility>

#include "platform/ado/text.h"

namespace ado {

namespace {

struct Catalog {
  std::mutex mutex;
  // (lower-cased provider, lower-cased name) -> body. Map nodes never move, so the
  // pointers FindProcedure hands out stay valid.
  std::map<std::pair<std::string, std::string>, ProcedureBody> bodies;
};

Catalog& Procedures() {
  static Catalog* catalog = new Catalog;
  return *catalog;
}

}  // namespace

int QueryResult::Column(std::string_view name) const {
  for (size_t i = 0; i < columns.size(); ++i)
    if (EqualsIgnoreCase(columns[i].name, name)) return static_cast<int>(i);
  return -1;
}

void RegisterProcedure(std::string_view provider, std::string_view name, ProcedureBody body) {
  Catalog& c = Procedures();
  std::lock_guard lock(c.mutex);
  c.bodies[{AsciiLower(provider), AsciiLower(name)}] = std::move(body);
}

const ProcedureBody* FindProcedure(std::string_view provider, std::string_view name) {
  Catalog& c = Procedures();
  std::lock_guard lock(c.mutex);
  auto it = c.bodies.find({AsciiLower(provider), AsciiLower(name)});
  return it == c.bodies.end() ? nullptr : &it->second;
}

}  // namespace ado
