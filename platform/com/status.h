#pragma once
// Status codes returned by interface methods. Values are the platform's standard ones.

#include <cstdint>

namespace com {

using HResult = int32_t;

inline constexpr HResult S_OK = 0;
inline constexpr HResult S_FALSE = 1;
inline constexpr HResult E_NOTIMPL = static_cast<HResult>(0x80004001u);
inline constexpr HResult E_NOINTERFACE = static_cast<HResult>(0x80004002u);
inline constexpr HResult E_POINTER = static_cast<HResult>(0x80004003u);
inline constexpr HResult E_FAIL = static_cast<HResult>(0x80004005u);
inline constexpr HResult E_UNEXPECTED = static_cast<HResult>(0x8000FFFFu);
inline constexpr HResult E_OUTOFMEMORY = static_cast<HResult>(0x8007000Eu);
inline constexpr HResult E_INVALIDARG = static_cast<HResult>(0x80070057u);
inline constexpr HResult CLASS_E_NOAGGREGATION = static_cast<HResult>(0x80040110u);
inline constexpr HResult CLASS_E_CLASSNOTAVAILABLE = static_cast<HResult>(0x80040111u);
inline constexpr HResult REGDB_E_CLASSNOTREG = static_cast<HResult>(0x80040154u);
inline constexpr HResult CO_E_CLASSSTRING = static_cast<HResult>(0x800401F3u);
inline constexpr HResult CO_E_DLLNOTFOUND = static_cast<HResult>(0x800401F8u);
inline constexpr HResult CO_E_ERRORINDLL = static_cast<HResult>(0x800401F9u);
inline constexpr HResult SELFREG_E_CLASS = static_cast<HResult>(0x80040201u);
inline constexpr HResult RPC_E_WRONG_THREAD = static_cast<HResult>(0x8001010Eu);
inline constexpr HResult DISP_E_UNKNOWNINTERFACE = static_cast<HResult>(0x80020001u);
inline constexpr HResult DISP_E_MEMBERNOTFOUND = static_cast<HResult>(0x80020003u);
inline constexpr HResult DISP_E_PARAMNOTFOUND = static_cast<HResult>(0x80020004u);
inline constexpr HResult DISP_E_TYPEMISMATCH = static_cast<HResult>(0x80020005u);
inline constexpr HResult DISP_E_UNKNOWNNAME = static_cast<HResult>(0x80020006u);
inline constexpr HResult DISP_E_EXCEPTION = static_cast<HResult>(0x80020009u);
inline constexpr HResult DISP_E_OVERFLOW = static_cast<HResult>(0x8002000Au);
inline constexpr HResult DISP_E_BADPARAMCOUNT = static_cast<HResult>(0x8002000Eu);
inline constexpr HResult DISP_E_PARAMNOTOPTIONAL = static_cast<HResult>(0x8002000Fu);

inline constexpr bool Succeeded(HResult hr) { return hr >= 0; }
inline constexpr bool Failed(HResult hr) { return hr < 0; }

// The status that an automation error number travels as: numbers below 65536 are
// wrapped in the control facility (0x800A....), anything else is already a status.
inline constexpr HResult StatusFromErrorNumber(int32_t number) {
  if (number > 0 && number < 65536) return static_cast<HResult>(0x800A0000u | static_cast<uint32_t>(number));
  return number;
}
// The inverse: the error number a caller sees for a failed status.
inline constexpr int32_t ErrorNumberFromStatus(HResult hr) {
  if ((static_cast<uint32_t>(hr) & 0xFFFF0000u) == 0x800A0000u) return hr & 0xFFFF;
  return hr;
}

}  // namespace com
