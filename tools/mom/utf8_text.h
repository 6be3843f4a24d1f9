#pragma once
// UTF-8 at the console's edges: JSON holds only valid UTF-8, so arguments that are
// not are refused before a call, and texts a call hands back are escaped.

#include <string>
#include <string_view>

namespace mom_console {

// Whether `text` is well-formed UTF-8 (no overlong forms, surrogates or code points
// past U+10FFFF).
bool IsValidUtf8(std::string_view text);

// `text` with every byte that is not part of well-formed UTF-8 written as \xNN
// (upper-case hex); well-formed text comes back unchanged.
std::string EscapeInvalidUtf8(std::string_view text);

}  // namespace mom_console
