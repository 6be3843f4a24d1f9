#pragma once
// Per-thread error information: a failing interface call leaves the error's number,
// description and source here for its caller (like SetErrorInfo/GetErrorInfo).

#include <optional>

#include "platform/com/dispatch.h"
#include "platform/com/error.h"

namespace com {

void SetErrorInfo(const ExcepInfo& info);
void ClearErrorInfo();
// Takes the thread's error information, leaving none.
std::optional<ExcepInfo> TakeErrorInfo();

// The boundary of an interface method: runs `body`, turning a com::Error or any other
// exception into a failed status and error info. Exceptions never cross interfaces.
template <class Body>
HResult GuardCall(Body&& body, ExcepInfo* excep = nullptr) noexcept;

// Status and info for the exception being handled (call inside a catch block).
HResult StatusFromCurrentException(ExcepInfo* excep) noexcept;
// The number and description of the exception being handled, whatever its type (call
// inside a catch block): a com::Error's own, a standard exception's what() as an
// automation error, anything else the automation error's standard description.
ExcepInfo CurrentExceptionInfo() noexcept;

template <class Body>
HResult GuardCall(Body&& body, ExcepInfo* excep) noexcept {
  try {
    body();
    return S_OK;
  } catch (...) {
    return StatusFromCurrentException(excep);
  }
}

}  // namespace com
