#pragma once
// The root interface: reference counting and interface discovery.

#include <cstdint>

#include "platform/com/guid.h"
#include "platform/com/status.h"

namespace com {

struct IUnknown {
  static constexpr Guid kIid = kIidIUnknown;

  // Null `out` gives E_POINTER; a miss clears *out and gives E_NOINTERFACE;
  // a hit stores the interface with one reference added.
  virtual HResult QueryInterface(const Guid& iid, void** out) = 0;
  virtual uint32_t AddRef() = 0;
  virtual uint32_t Release() = 0;

 protected:
  ~IUnknown() = default;
};

}  // namespace com
