#pragma once
// The service's HTTP face:
//   POST /v1/call/{Operation}   body: a JSON object of named arguments; header
//                               Idempotency-Key: K (optional). Answers as CallService
//                               says; a stored answer comes with Idempotent-Replayed: true.
//   GET  /v1/health             200 {"status":"ok"} when the database answers, else 503
//   GET  /v1/metrics            the counters (Metrics), Prometheus text
// Every request but the health check needs "Authorization: Bearer TOKEN" when a token
// is set; others answer 401. Bodies longer than the limit answer 413. Every request
// is logged as one line (RequestLog) with its operation, duration, status, result and
// key.

#include <cstddef>
#include <memory>
#include <optional>
#include <string>

#include "tools/mom/serve/call_service.h"
#include "tools/mom/serve/metrics.h"
#include "tools/mom/serve/request_log.h"
#include "tools/mom/serve/serve_options.h"

namespace mom_service {

struct HttpSettings {
  ListenAddress listen;
  std::optional<std::string> bearer_token;  // none: every caller is served
  size_t max_body_bytes = 1 << 20;
  int threads = 8;
};

class HttpService {
 public:
  HttpService(CallService& calls, HttpSettings settings, RequestLog& log);
  ~HttpService();
  HttpService(const HttpService&) = delete;
  HttpService& operator=(const HttpService&) = delete;

  // Takes the address; returns it with the port the system chose for port 0. Raises
  // std::runtime_error when it is taken or cannot be had. A Unix socket's file is
  // replaced only when nothing listens on it.
  ListenAddress Bind();
  // Serves until Stop; returns false when serving failed.
  bool Run();
  // Stops serving: Run returns once the requests in progress are answered. Any thread,
  // once IsRunning.
  void Stop();
  bool IsRunning() const;

  const Metrics& metrics() const;

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace mom_service
