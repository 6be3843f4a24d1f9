#pragma once
// Dates as text: ISO "YYYY-MM-DD HH:MM:SS" with ".fff" milliseconds when there are any,
// the form SQLite keeps and the PostgreSQL provider sends and reads.

#include <optional>
#include <string>
#include <string_view>

#include "platform/com/date.h"

namespace ado {

std::string DateText(com::Date date);
// Accepts what com::ParseDate accepts, keeping milliseconds; nullopt if not a date.
std::optional<com::Date> ParseDateText(std::string_view text);
// The local time now, always with milliseconds.
std::string CurrentTimeText();

}  // namespace ado
