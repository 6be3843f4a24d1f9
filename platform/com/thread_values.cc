#include "platform/com/thread_values.h"

#include <map>
#include <utility>

namespace com {

namespace {

// Ordered by name with heterogeneous lookup, so that a read makes no string.
using Values = std::map<std::string, Variant, std::less<>>;

Values& ThisThread() {
  thread_local Values values;
  return values;
}

}  // namespace

Variant ThreadValue(std::string_view name) {
  const Values& values = ThisThread();
  auto it = values.find(name);
  return it == values.end() ? Variant() : it->second;
}

void SetThreadValue(std::string_view name, Variant value) {
  Values& values = ThisThread();
  auto it = values.find(name);
  if (value.is_empty()) {
    if (it == values.end()) return;
    // Released after the entry is gone: a value's release may set values itself.
    Variant gone = std::move(it->second);
    values.erase(it);
    return;
  }
  if (it == values.end()) {
    values.emplace(std::string(name), std::move(value));
  } else {
    Variant old = std::exchange(it->second, std::move(value));
  }
}

ScopedThreadValue::ScopedThreadValue(std::string name, Variant value)
    : name_(std::move(name)), previous_(ThreadValue(name_)) {
  SetThreadValue(name_, std::move(value));
}

ScopedThreadValue::ScopedThreadValue(std::string name) : name_(std::move(name)), previous_(ThreadValue(name_)) {}

ScopedThreadValue::~ScopedThreadValue() { SetThreadValue(name_, std::move(previous_)); }

}  // namespace com
