#pragma once
// Automation dates: days since 1899-12-30 00:00:00, the fraction being the time of day.

#include <optional>
#include <string>
#include <string_view>

namespace com {

struct Date {
  double days = 0;
  friend bool operator==(Date a, Date b) { return a.days == b.days; }
};

struct CivilTime {
  int year = 1899, month = 12, day = 30, hour = 0, minute = 0, second = 0;
};

Date DateFromCivil(const CivilTime& t);
CivilTime CivilFromDate(Date d);
// "YYYY-MM-DD HH:MM:SS".
std::string FormatDateTime(Date d);
// "YYYY-MM-DD".
std::string FormatDate(Date d);
// Accepts "YYYY-MM-DD", "YYYY/MM/DD", optionally followed by " HH:MM[:SS[.fff]]" or "THH:MM...";
// nullopt when the text is not a valid date.
std::optional<Date> ParseDate(std::string_view text);
// The current local date and time.
Date Now();

}  // namespace com
