#include "platform/com/date.h"

#include <cmath>
#include <cstdio>
#include <ctime>

namespace com {

namespace {

// Days from 1970-01-01 of a civil date (proleptic Gregorian).
int64_t DaysFromCivil(int64_t y, unsigned m, unsigned d) {
  y -= m <= 2;
  const int64_t era = (y >= 0 ? y : y - 399) / 400;
  const unsigned yoe = static_cast<unsigned>(y - era * 400);
  const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + static_cast<int64_t>(doe) - 719468;
}

void CivilFromDays(int64_t z, int& y, int& m, int& d) {
  z += 719468;
  const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  const unsigned doe = static_cast<unsigned>(z - era * 146097);
  const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const int64_t yy = static_cast<int64_t>(yoe) + era * 400;
  const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const unsigned mp = (5 * doy + 2) / 153;
  d = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
  m = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
  y = static_cast<int>(yy + (m <= 2));
}

const int64_t kEpochOffset = DaysFromCivil(1899, 12, 30);

bool ValidCivil(int y, int m, int d) {
  if (y < 100 || y > 9999 || m < 1 || m > 12 || d < 1) return false;
  static const int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  int max = kDays[m - 1];
  if (m == 2 && ((y % 4 == 0 && y % 100 != 0) || y % 400 == 0)) max = 29;
  return d <= max;
}

}  // namespace

Date DateFromCivil(const CivilTime& t) {
  double days = static_cast<double>(DaysFromCivil(t.year, t.month, t.day) - kEpochOffset);
  double fraction = (t.hour * 3600.0 + t.minute * 60.0 + t.second) / 86400.0;
  // Automation dates before 1899-12-30 keep the time as a positive fraction after the
  // negative day number.
  return Date{days >= 0 ? days + fraction : days - fraction};
}

CivilTime CivilFromDate(Date date) {
  double whole = std::trunc(date.days);
  double fraction = std::fabs(date.days - whole);
  int64_t seconds = std::llround(fraction * 86400.0);
  if (seconds >= 86400) {
    seconds -= 86400;
    whole += date.days >= 0 ? 1 : -1;
  }
  CivilTime t;
  CivilFromDays(static_cast<int64_t>(whole) + kEpochOffset, t.year, t.month, t.day);
  t.hour = static_cast<int>(seconds / 3600);
  t.minute = static_cast<int>(seconds / 60 % 60);
  t.second = static_cast<int>(seconds % 60);
  return t;
}

std::string FormatDateTime(Date d) {
  CivilTime t = CivilFromDate(d);
  char buf[32];
  std::snprintf(buf, sizeof buf, "%04d-%02d-%02d %02d:%02d:%02d", t.year, t.month, t.day, t.hour, t.minute,
                t.second);
  return buf;
}

std::string FormatDate(Date d) {
  CivilTime t = CivilFromDate(d);
  char buf[16];
  std::snprintf(buf, sizeof buf, "%04d-%02d-%02d", t.year, t.month, t.day);
  return buf;
}

std::optional<Date> ParseDate(std::string_view text) {
  while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
  while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
  size_t pos = 0;
  auto number = [&](size_t min_digits, size_t max_digits, int& out) {
    size_t start = pos;
    int v = 0;
    while (pos < text.size() && pos - start < max_digits && text[pos] >= '0' && text[pos] <= '9')
      v = v * 10 + (text[pos++] - '0');
    out = v;
    return pos - start >= min_digits;
  };
  CivilTime t;
  if (!number(4, 4, t.year)) return std::nullopt;
  if (pos >= text.size() || (text[pos] != '-' && text[pos] != '/')) return std::nullopt;
  char sep = text[pos++];
  if (!number(1, 2, t.month)) return std::nullopt;
  if (pos >= text.size() || text[pos++] != sep) return std::nullopt;
  if (!number(1, 2, t.day)) return std::nullopt;
  if (!ValidCivil(t.year, t.month, t.day)) return std::nullopt;
  if (pos < text.size()) {
    if (text[pos] != ' ' && text[pos] != 'T') return std::nullopt;
    ++pos;
    if (!number(1, 2, t.hour) || pos >= text.size() || text[pos++] != ':' || !number(2, 2, t.minute))
      return std::nullopt;
    if (pos < text.size() && text[pos] == ':') {
      ++pos;
      if (!number(2, 2, t.second)) return std::nullopt;
      if (pos < text.size() && text[pos] == '.') {
        ++pos;
        int fraction;
        if (!number(1, 9, fraction)) return std::nullopt;
      }
    }
    if (pos != text.size() || t.hour > 23 || t.minute > 59 || t.second > 59) return std::nullopt;
  }
  return DateFromCivil(t);
}

Date Now() {
  std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  return DateFromCivil(CivilTime{local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour,
                                 local.tm_min, local.tm_sec});
}

}  // namespace com
