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

HResult StatusFromCurrentException(ExcepInfo* excep) noexcept {
  ExcepInfo info;
  HResult hr = E_FAIL;
  try {
    throw;
  } catch (const Error& e) {
    info.number = e.number();
    info.description = e.description();
    info.source = e.source();
    hr = StatusFromErrorNumber(e.number());
  } catch (const std::bad_alloc&) {
    info.number = 7;
    info.description = StandardDescription(7);
    hr = E_OUTOFMEMORY;
  } catch (const std::exception& e) {
    info.number = kErrAutomation;
    info.description = e.what();
    hr = StatusFromErrorNumber(kErrAutomation);
  } catch (...) {
    info.number = kErrAutomation;
    info.description = StandardDescription(kErrAutomation);
    hr = StatusFromErrorNumber(kErrAutomation);
  }
  try {
    SetErrorInfo(info);
    if (excep) *excep = info;
  } catch (...) {
  }
  return hr;
}

}  // namespace com
