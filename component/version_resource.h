#pragma once
// The library's version resource, readable through the exported
// DllGetVersionResource().

#include <cstdint>

namespace mom {

struct VersionResource {
  const char* file_version;
  const char* product_version;
  uint16_t language;   // 0x0804: Chinese (PRC)
  uint16_t code_page;  // 1200: Unicode strings
  bool ole_self_register;
};

inline constexpr VersionResource kVersionResource{"1.00", "1.00", 0x0804, 1200, true};

}  // namespace mom
