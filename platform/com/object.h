#pragma once
// Reference counting and query-interface written once for every object.
//
//   class Foo : public com::Object<IFoo, IBar> { ... };
//
// answers to IUnknown and to every listed interface, with their aliases and bases. Objects start with one reference, owned by
// whoever called `new` (use MakeObject).

#include <atomic>
#include <cstdint>

#include "platform/com/module_lock.h"
#include "platform/com/unknown.h"

namespace com {

template <class... Interfaces>
class Object : public Interfaces... {
 public:
  Object() { ModuleObjectCreated(); }
  Object(const Object&) = delete;
  Object& operator=(const Object&) = delete;

  HResult QueryInterface(const Guid& iid, void** out) override {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (iid == IUnknown::kIid) {
      *out = static_cast<IUnknown*>(static_cast<First*>(this));
    } else if (!(Match<Interfaces>(iid, out) || ...)) {
      if (!QueryExtraInterface(iid, out)) return E_NOINTERFACE;
    }
    AddRef();
    return S_OK;
  }
  uint32_t AddRef() override { return refs_.fetch_add(1, std::memory_order_relaxed) + 1; }
  uint32_t Release() override {
    uint32_t left = refs_.fetch_sub(1, std::memory_order_acq_rel) - 1;
    if (left == 0) delete this;
    return left;
  }

 protected:
  virtual ~Object() { ModuleObjectDestroyed(); }
  // Hook for identifiers beyond the list (aliases of an interface). Store the
  // interface in *out without adding a reference and return true.
  virtual bool QueryExtraInterface(const Guid&, void**) { return false; }

 private:
  template <class First_, class...>
  struct Head {
    using Type = First_;
  };
  using First = typename Head<Interfaces...>::Type;

  // An interface answers to its own identifier, to an alias it declares
  // (kAliasIid: an earlier identifier of the same interface) and to the identifiers
  // of the interface it derives from (Base).
  template <class I>
  bool Match(const Guid& iid, void** out) {
    if (MatchesOrDerives<I>(iid)) {
      *out = static_cast<I*>(this);
      return true;
    }
    return false;
  }
  template <class I>
  static bool MatchesOrDerives(const Guid& iid) {
    if (iid == I::kIid) return true;
    if constexpr (requires { I::kAliasIid; }) {
      if (iid == I::kAliasIid) return true;
    }
    if constexpr (requires { typename I::Base; }) return MatchesOrDerives<typename I::Base>(iid);
    return false;
  }

  std::atomic<uint32_t> refs_{1};
};

}  // namespace com
