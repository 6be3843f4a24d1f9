#pragma once
// How the operations report failure.
//
// Trapping operations: any error raised by their steps (an expected failure raised
// with its message text, or an unexpected one) becomes result false with the error's
// description in ErrMsg, and the call still succeeds. ErrMsg is written only then.
// Non-trapping operations: an error of their own steps fails the call with a status
// and error info carrying the error's number and description.

#include <exception>
#include <string>

#include "component/cls_mom_interface.h"
#include "platform/com/apartment.h"
#include "platform/com/error.h"
#include "platform/com/error_info.h"

namespace mom {

// `body` returns the operation's result (true/false) or raises.
template <class Body>
com::HResult Trapping(const com::ApartmentAffinity& apartment, std::string* ErrMsg, VariantBool* result,
                      Body&& body) noexcept {
  if (com::HResult hr = apartment.Check(); com::Failed(hr)) return hr;
  if (!ErrMsg || !result) return com::E_POINTER;
  *result = kVariantFalse;
  try {
    *result = body() ? kVariantTrue : kVariantFalse;
  } catch (const com::Error& e) {
    *result = kVariantFalse;
    *ErrMsg = e.description();
  } catch (const std::exception& e) {
    *result = kVariantFalse;
    *ErrMsg = e.what();
  }
  return com::S_OK;
}

template <class Body>
com::HResult NonTrapping(const com::ApartmentAffinity& apartment, Body&& body) noexcept {
  if (com::HResult hr = apartment.Check(); com::Failed(hr)) return hr;
  return com::GuardCall(std::forward<Body>(body));
}

}  // namespace mom
