#pragma once
// The component's identity, on which existing callers depend.

#include "platform/com/guid.h"

namespace mom {

inline constexpr char kTypeLibName[] = "KRZ7DEVUZIda";
inline constexpr com::Guid kLibid{0x66E9B38D, 0x5F33, 0x4416, {0x80, 0xF8, 0x99, 0xAB, 0x52, 0xA3, 0x6E, 0x07}};
inline constexpr char kTypeLibVersion[] = "3.1";

inline constexpr char kClassName[] = "clsMOM";
inline constexpr char kProgId[] = "KRZ7DEVUZIda.clsMOM";
inline constexpr com::Guid kClsid{0xA6A1761C, 0x638E, 0x4763, {0x9E, 0xF8, 0xB8, 0xD1, 0xC9, 0xB6, 0x86, 0x0C}};

inline constexpr char kInterfaceName[] = "_clsMOM";
inline constexpr com::Guid kIid{0xBA46AE8A, 0x0500, 0x4C1E, {0x81, 0xD9, 0x07, 0xE2, 0x43, 0xF3, 0xB6, 0xD3}};
// The interface identifier of earlier builds: the same interface, same slots.
inline constexpr com::Guid kIidEarlier{0x64D720D0, 0x565E, 0x430A, {0x96, 0xA8, 0x8A, 0xDC, 0x17, 0x84, 0x24, 0x0A}};

inline constexpr char kThreadingModel[] = "Apartment";

}  // namespace mom
