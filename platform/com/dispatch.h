#pragma once
// Late binding: an object exposes members by name and by dispatch id.
//
// Arguments travel in declaration order (first argument first). An omitted optional
// argument is Variant::Missing(); a by-reference argument is Variant::Ref(&target), and
// the callee writes its final value back through it.

#include <span>
#include <string>
#include <string_view>

#include "platform/com/unknown.h"
#include "platform/com/variant.h"

namespace com {

using DispId = int32_t;

enum class InvokeKind : uint16_t { Method = 1, PropertyGet = 2, PropertyPut = 4, PropertyPutRef = 8 };

struct TypeInfo;

// Filled by a member that failed with an error (status DISP_E_EXCEPTION).
struct ExcepInfo {
  int32_t number = 0;
  std::string description;
  std::string source;
};

struct IDispatch : IUnknown {
  static constexpr Guid kIid = kIidIDispatch;

  // The object's type information, or null when it has none.
  virtual const TypeInfo* GetTypeInfo() = 0;
  // DISP_E_UNKNOWNNAME when there is no member of that name (case is ignored).
  virtual HResult GetIdOfName(std::string_view name, DispId* id) = 0;
  virtual HResult Invoke(DispId id, InvokeKind kind, std::span<Variant> args, Variant* result,
                         ExcepInfo* excep) = 0;

 protected:
  ~IDispatch() = default;
};

}  // namespace com
