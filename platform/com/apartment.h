#pragma once
// Apartment threading: an apartment-threaded object belongs to the thread that made
// it; calls from another thread are refused with RPC_E_WRONG_THREAD rather than
// racing on its per-thread data.

#include <thread>

#include "platform/com/status.h"

namespace com {

class ApartmentAffinity {
 public:
  ApartmentAffinity() : owner_(std::this_thread::get_id()) {}
  // S_OK on the owning thread, RPC_E_WRONG_THREAD elsewhere.
  HResult Check() const { return std::this_thread::get_id() == owner_ ? S_OK : RPC_E_WRONG_THREAD; }

 private:
  std::thread::id owner_;
};

}  // namespace com
