#pragma once
// What the dialog's filter boxes make of the text in them, whatever route it came by
// (keys, an input method, paste, drop).

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "platform/com/date.h"

namespace mom::ecn {

// The grade box's text with everything but the digits 0 to 9 taken out; full-width
// digits, as a Chinese input method gives them, count as digits. When `cursor` is
// given it is a position in characters of `text` and is moved to the same place in
// the result.
std::string GradeDigitsOnly(std::string_view text, size_t* cursor = nullptr);

// A date as a zh_CN user writes it: 2024-3-1, 2024/3/1, 2024.3.1 and 2024年3月1日
// (full-width digits too, blanks around), and the forms com::ParseDate reads, with a
// time of day. nullopt when the text is no valid date.
std::optional<com::Date> ParseFilterDate(std::string_view text);

}  // namespace mom::ecn
