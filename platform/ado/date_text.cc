#include "platform/ado/date_text.h"

#include <cmath>
#include <cstdio>
#include <ctime>

namespace ado {

namespace {
constexpr int64_t kMsPerDay = 86400000;
}

std::string DateText(com::Date date) {
  // Automation dates keep the time of day as the magnitude of the fraction, also
  // before 1899-12-30 where the day number is negative.
  double whole = std::trunc(date.days);
  int64_t ms = std::llround(std::fabs(date.days - whole) * static_cast<double>(kMsPerDay));
  if (ms >= kMsPerDay) {
    ms -= kMsPerDay;
    whole += 1;
  }
  com::CivilTime day = com::CivilFromDate(com::Date{whole});
  char buf[40];
  int n = std::snprintf(buf, sizeof buf, "%04d-%02d-%02d %02d:%02d:%02d", day.year, day.month, day.day,
                        static_cast<int>(ms / 3600000), static_cast<int>(ms / 60000 % 60),
                        static_cast<int>(ms / 1000 % 60));
  std::string text(buf, static_cast<size_t>(n));
  if (ms % 1000 != 0) {
    std::snprintf(buf, sizeof buf, ".%03d", static_cast<int>(ms % 1000));
    text += buf;
  }
  return text;
}

std::optional<com::Date> ParseDateText(std::string_view text) {
  std::optional<com::Date> date = com::ParseDate(text);
  if (!date) return date;
  // com::ParseDate checks the fraction but drops it; add the milliseconds back.
  size_t colon = text.rfind(':');
  size_t dot = text.find('.', colon == std::string_view::npos ? text.size() : colon);
  if (colon == std::string_view::npos || dot == std::string_view::npos) return date;
  double fraction = 0, scale = 0.1;
  for (size_t i = dot + 1; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i, scale /= 10)
    fraction += (text[i] - '0') * scale;
  double ms = std::round(fraction * 1000);
  double delta = ms / static_cast<double>(kMsPerDay);
  date->days += date->days < 0 ? -delta : delta;
  return date;
}

std::string CurrentTimeText() {
  timespec now{};
  clock_gettime(CLOCK_REALTIME, &now);
  std::tm local{};
  localtime_r(&now.tv_sec, &local);
  char buf[40];
  int n = std::snprintf(buf, sizeof buf, "%04d-%02d-%02d %02d:%02d:%02d.%03d", local.tm_year + 1900,
                        local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min, local.tm_sec,
                        static_cast<int>(now.tv_nsec / 1000000));
  return std::string(buf, static_cast<size_t>(n));
}

}  // namespace ado
