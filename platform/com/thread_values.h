#pragma once
// Named values kept once per thread and shared by every library of the process: what
// an apartment-threaded caller leaves for the servers it calls on the same thread
// without passing it as an argument (the host's current login, for one). A value set
// on one thread is never seen on another, so nothing here is locked; the values of a
// thread are released when it ends.

#include <optional>
#include <string>
#include <string_view>

#include "platform/com/variant.h"

namespace com {

// The value of `name` on the calling thread; Empty when it was never set or cleared.
Variant ThreadValue(std::string_view name);

// Sets `name` on the calling thread; an Empty value clears it.
void SetThreadValue(std::string_view name, Variant value);

// Holds `name` on the calling thread for the scope and puts back what was there
// before, on the same thread, when it ends. Without a value the current one is left
// as it is and only restored at the end: what the scope sets in the meantime goes.
class ScopedThreadValue {
 public:
  ScopedThreadValue(std::string name, Variant value);
  explicit ScopedThreadValue(std::string name);
  ~ScopedThreadValue();
  ScopedThreadValue(const ScopedThreadValue&) = delete;
  ScopedThreadValue& operator=(const ScopedThreadValue&) = delete;

 private:
  std::string name_;
  Variant previous_;
};

}  // namespace com
