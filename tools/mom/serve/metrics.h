#pragma once
// The service's counters, rendered in the Prometheus text format (GET /v1/metrics):
//   mom_calls_total{operation,status}              calls of an operation, by HTTP status
//   mom_refusals_total{operation,message}          calls that returned false, by message
//                                                  (number, resource key, or "other")
//   mom_stale_token_refusals_total{operation}      refusals because the row changed (409)
//   mom_idempotent_replays_total{operation}        requests answered from a stored answer
//   mom_call_duration_seconds{operation}           latency histogram of the calls
//   mom_http_responses_total{status}               every response, requests refused before
//                                                  any call (401, 413, 404) included
// Thread-safe.

#include <array>
#include <cstdint>
#include <map>
#include <mutex>
#include <string>
#include <utility>

#include "tools/mom/serve/call_service.h"

namespace mom_service {

class Metrics {
 public:
  // Upper bounds of the latency buckets, in seconds (+Inf follows).
  static constexpr std::array<double, 14> kBuckets = {0.0005, 0.001, 0.0025, 0.005, 0.01, 0.025, 0.05,
                                                      0.1,    0.25,  0.5,    1,     2.5,   5,    10};

  // A request that named an operation, answered after `seconds`.
  void RecordCall(const CallAnswer& answer, double seconds);
  // Every response the service sent.
  void RecordResponse(int status);

  std::string Render() const;

 private:
  struct Histogram {
    std::array<uint64_t, kBuckets.size()> counts{};  // per bucket, not cumulative
    uint64_t count = 0;
    double sum = 0;
  };

  mutable std::mutex mutex_;
  // State below is protected by mutex_.
  std::map<std::pair<std::string, int>, uint64_t> calls_;
  std::map<std::pair<std::string, std::string>, uint64_t> refusals_;
  std::map<std::string, uint64_t> stale_;
  std::map<std::string, uint64_t> replays_;
  std::map<std::string, Histogram> durations_;
  std::map<int, uint64_t> responses_;
};

}  // namespace mom_service
