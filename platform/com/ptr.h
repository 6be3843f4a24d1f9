#pragma once
// Owning smart pointer for reference-counted interfaces. No implicit conversion to
// the raw pointer: use get().

#include <cstddef>
#include <utility>

#include "platform/com/status.h"
#include "platform/com/unknown.h"

namespace com {

template <class T>
class Ptr {
 public:
  Ptr() = default;
  Ptr(std::nullptr_t) {}
  // Adds a reference to `p`.
  explicit Ptr(T* p) : p_(p) {
    if (p_) p_->AddRef();
  }
  Ptr(const Ptr& o) : p_(o.p_) {
    if (p_) p_->AddRef();
  }
  Ptr(Ptr&& o) noexcept : p_(std::exchange(o.p_, nullptr)) {}
  template <class U>
  Ptr(const Ptr<U>& o) : p_(o.get()) {
    if (p_) p_->AddRef();
  }
  ~Ptr() { reset(); }

  Ptr& operator=(Ptr o) noexcept {
    std::swap(p_, o.p_);
    return *this;
  }

  // Takes over a reference that the caller already owns.
  static Ptr Attach(T* p) {
    Ptr r;
    r.p_ = p;
    return r;
  }
  T* Detach() { return std::exchange(p_, nullptr); }
  void reset() {
    if (T* p = std::exchange(p_, nullptr)) p->Release();
  }

  T* get() const { return p_; }
  T* operator->() const { return p_; }
  T& operator*() const { return *p_; }
  explicit operator bool() const { return p_ != nullptr; }

  // For out-parameters of QueryInterface-style calls: releases the current pointer.
  void** put_void() {
    reset();
    return reinterpret_cast<void**>(&p_);
  }

  // Queries for interface U; empty on a miss.
  // A class that is not itself an interface names the one it implements as
  // `Interface`; the pointer is then cast down from that interface.
  template <class U>
  Ptr<U> As() const {
    if (!p_) return {};
    void* raw = nullptr;
    if (Failed(p_->QueryInterface(U::kIid, &raw)) || !raw) return {};
    if constexpr (requires { typename U::Interface; }) {
      return Ptr<U>::Attach(static_cast<U*>(static_cast<typename U::Interface*>(raw)));
    } else {
      return Ptr<U>::Attach(static_cast<U*>(raw));
    }
  }

  friend bool operator==(const Ptr& a, const Ptr& b) { return a.p_ == b.p_; }

 private:
  T* p_ = nullptr;
};

// Makes a new object and returns it as interface I (one reference).
template <class C, class... Args>
Ptr<C> MakeObject(Args&&... args) {
  return Ptr<C>::Attach(new C(std::forward<Args>(args)...));
}

}  // namespace com
