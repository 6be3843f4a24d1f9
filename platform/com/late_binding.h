#pragma once
// Client side of late binding: calls by member name or dispatch id that raise
// com::Error on failure, with the callee's number and description.

#include <initializer_list>
#include <span>
#include <string_view>

#include "platform/com/dispatch.h"

namespace com {

Variant CallByName(IDispatch* object, std::string_view name, std::span<Variant> args,
                   InvokeKind kind = InvokeKind::Method);
Variant CallById(IDispatch* object, DispId id, std::span<Variant> args,
                 InvokeKind kind = InvokeKind::Method);
// Property read without arguments (falls back to a method call, as late binding does).
Variant GetProperty(IDispatch* object, std::string_view name);
void PutProperty(IDispatch* object, std::string_view name, Variant value);

// Turns a failed Invoke into the error the caller raises.
[[noreturn]] void RaiseInvokeFailure(HResult hr, const ExcepInfo& excep, std::string_view member);

}  // namespace com
