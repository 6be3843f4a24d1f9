#pragma once
// Counts live objects and server locks of the library this header is compiled into,
// so that DllCanUnloadNow can answer. Each shared library has its own counter.

#include <atomic>
#include <cstdint>

namespace com {

namespace detail {
inline std::atomic<int32_t>& ModuleCount() {
  static std::atomic<int32_t> count{0};
  return count;
}
}  // namespace detail

inline void ModuleObjectCreated() { detail::ModuleCount().fetch_add(1); }
inline void ModuleObjectDestroyed() { detail::ModuleCount().fetch_sub(1); }
inline bool ModuleInUse() { return detail::ModuleCount().load() != 0; }

}  // namespace com
