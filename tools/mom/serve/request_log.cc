#include "tools/mom/serve/request_log.h"

#include <chrono>
#include <ctime>

#include "tools/mom/console_error.h"

namespace mom_service {

using mom_console::Json;

namespace {

std::string UtcNow() {
  auto now = std::chrono::system_clock::now();
  std::time_t seconds = std::chrono::system_clock::to_time_t(now);
  auto millis = std::chrono::duration_cast<std::chrono::milliseconds>(now.time_since_epoch()).count() % 1000;
  std::tm tm{};
  gmtime_r(&seconds, &tm);
  char buf[96];
  std::snprintf(buf, sizeof buf, "%04d-%02d-%02dT%02d:%02d:%02d.%03dZ", tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday,
                tm.tm_hour, tm.tm_min, tm.tm_sec, static_cast<int>(millis));
  return buf;
}

}  // namespace

RequestLog::RequestLog(const std::string& path) : out_(stderr), owned_(false) {
  if (path.empty()) return;
  out_ = std::fopen(path.c_str(), "a");
  if (!out_) throw mom_console::UsageError("cannot write the log file " + path);
  owned_ = true;
}

RequestLog::~RequestLog() {
  if (owned_) std::fclose(out_);
}

void RequestLog::Write(const std::string& event, const Json& fields) {
  Json line;
  line["time"] = UtcNow();
  line["event"] = event;
  for (const auto& [k, v] : fields.items()) line[k] = v;
  std::string text = line.dump(-1, ' ', false, Json::error_handler_t::replace) + "\n";
  std::lock_guard lock(mutex_);
  std::fwrite(text.data(), 1, text.size(), out_);
  std::fflush(out_);
}

}  // namespace mom_service
