#pragma once
// The service's log: one JSON object per line, each with "time" (UTC, milliseconds)
// and "event" ("request", "listening", "stopped", "warning", ...). Thread-safe: lines
// from different threads never interleave.

#include <cstdio>
#include <mutex>
#include <string>

#include "tools/mom/json_values.h"

namespace mom_service {

class RequestLog {
 public:
  // Appends to `path`; standard error when it is empty. Raises UsageError when the
  // file cannot be opened.
  explicit RequestLog(const std::string& path);
  ~RequestLog();
  RequestLog(const RequestLog&) = delete;
  RequestLog& operator=(const RequestLog&) = delete;

  // Writes `fields` after "time" and "event", and flushes.
  void Write(const std::string& event, const mom_console::Json& fields = mom_console::Json::object());

 private:
  std::mutex mutex_;
  FILE* out_;  // protected by mutex_
  bool owned_;
};

}  // namespace mom_service
