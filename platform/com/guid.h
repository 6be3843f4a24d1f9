#pragma once
// Globally unique identifiers for classes, interfaces and type libraries.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace com {

struct Guid {
  uint32_t data1 = 0;
  uint16_t data2 = 0;
  uint16_t data3 = 0;
  uint8_t data4[8] = {};

  friend constexpr bool operator==(const Guid& a, const Guid& b) {
    if (a.data1 != b.data1 || a.data2 != b.data2 || a.data3 != b.data3) return false;
    for (int i = 0; i < 8; ++i)
      if (a.data4[i] != b.data4[i]) return false;
    return true;
  }

  // "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}", upper-case hex, as the registry writes it.
  std::string ToString() const;
  // Accepts the braced or unbraced form, any case; nullopt for anything else.
  static std::optional<Guid> Parse(std::string_view text);
};

struct GuidHash {
  size_t operator()(const Guid& g) const noexcept;
};

inline constexpr Guid kNullGuid{};

// IID of IUnknown and IDispatch, the two interfaces every automation object answers to.
inline constexpr Guid kIidIUnknown{0x00000000, 0x0000, 0x0000, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};
inline constexpr Guid kIidIDispatch{0x00020400, 0x0000, 0x0000, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};
inline constexpr Guid kIidIClassFactory{0x00000001, 0x0000, 0x0000, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};

}  // namespace com
