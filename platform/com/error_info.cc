#include "platform/com/error_info.h"

#include <exception>
#include <new>

namespace com {

namespace {
thread_local std::optional<ExcepInfo> t_error_info;
}

void SetErrorInfo(const ExcepInfo& info) { t_error_info = info; }
void ClearErrorInfo() { t_error_info.reset(); }

std::optional<ExcepInfo> TakeErrorInfo() {
  std::optional<ExcepInfo> info = std::move(t_error_info);
  t_error_info.reset();
  return info;
}

namespace {
constexpr int32_t kErrOutOfMemory = 7;
}

ExcepInfo CurrentExceptionInfo() noexcept {
  ExcepInfo info;
  try {
    try {
      throw;
    } catch (const Error& e) {
      info.number = e.number();
      info.description = e.description();
      info.source = e.source();
    } catch (const std::bad_alloc&) {
      info.number = kErrOutOfMemory;
      info.description = StandardDescription(kErrOutOfMemory);
    } catch (const std::exception& e) {
      info.number = kErrAutomation;
      info.description = e.what();
    } catch (...) {
      info.number = kErrAutomation;
      info.description = StandardDescription(kErrAutomation);
    }
  } catch (...) {
    // Out of memory while copying the texts: the number alone.
    info.number = kErrOutOfMemory;
  }
  return info;
}

HResult StatusFromCurrentException(ExcepInfo* excep) noexcept {
  ExcepInfo info = CurrentExceptionInfo();
  HResult hr = StatusFromErrorNumber(info.number);
  try {
    throw;
  } catch (const std::bad_alloc&) {
    hr = E_OUTOFMEMORY;
  } catch (...) {
  }
  try {
    SetErrorInfo(info);
    if (excep) *excep = info;
  } catch (...) {
  }
  return hr;
}

}  // namespace com
