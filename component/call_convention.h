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

// Whether the call may go ahead: on its apartment's thread, with every required
// by-reference argument given (E_POINTER for a null one; optional ones are not passed).
template <class... Required>
com::HResult CheckCall(const com::ApartmentAffinity& apartment, const Required*... required) noexcept {
  if (com::HResult hr = apartment.Check(); com::Failed(hr)) return hr;
  return ((required != nullptr) && ...) ? com::S_OK : com::E_POINTER;
}

// `body` returns the operation's result (true/false) or raises; whatever it raises is
// trapped.
template <class Body>
com::HResult Trapping(const com::ApartmentAffinity& apartment, std::string* ErrMsg, VariantBool* result,
                      Body&& body) noexcept {
  if (com::HResult hr = CheckCall(apartment, ErrMsg, result); com::Failed(hr)) return hr;
  *result = kVariantFalse;
  try {
    *result = body() ? kVariantTrue : kVariantFalse;
  } catch (...) {
    *result = kVariantFalse;
    try {
      *ErrMsg = com::CurrentExceptionInfo().description;
    } catch (...) {
      return com::E_OUTOFMEMORY;  // not even the text could be kept
    }
  }
  return com::S_OK;
}

template <class Body>
com::HResult NonTrapping(const com::ApartmentAffinity& apartment, Body&& body) noexcept {
  if (com::HResult hr = apartment.Check(); com::Failed(hr)) return hr;
  return com::GuardCall(std::forward<Body>(body));
}

}  // namespace mom
