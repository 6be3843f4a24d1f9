#include "tools/mom/serve/metrics.h"

#include <cstdio>

namespace mom_service {

namespace {

std::string Number(double v) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%.9g", v);
  return buf;
}

// Label values are operation names and message labels; quotes and backslashes are
// escaped all the same.
std::string Label(const std::string& value) {
  std::string out;
  for (char c : value) {
    if (c == '"' || c == '\\') out += '\\';
    if (c == '\n') {
      out += "\\n";
      continue;
    }
    out += c;
  }
  return out;
}

void Header(std::string& out, const char* name, const char* type, const char* help) {
  out += std::string("# HELP ") + name + " " + help + "\n# TYPE " + name + " " + type + "\n";
}

}  // namespace

void Metrics::RecordCall(const CallAnswer& answer, double seconds) {
  if (answer.operation.empty()) return;  // no such operation: counted with the responses only
  std::lock_guard lock(mutex_);
  ++calls_[{answer.operation, answer.status}];
  if (answer.result == "false" && !answer.replayed)
    ++refusals_[{answer.operation, answer.message.empty() ? "other" : answer.message}];
  if (answer.stale_token && !answer.replayed) ++stale_[answer.operation];
  if (answer.replayed) ++replays_[answer.operation];
  Histogram& h = durations_[answer.operation];
  size_t i = 0;
  while (i < kBuckets.size() && seconds > kBuckets[i]) ++i;
  if (i < kBuckets.size()) ++h.counts[i];
  ++h.count;
  h.sum += seconds;
}

void Metrics::RecordResponse(int status) {
  std::lock_guard lock(mutex_);
  ++responses_[status];
}

std::string Metrics::Render() const {
  std::lock_guard lock(mutex_);
  std::string out;
  Header(out, "mom_calls_total", "counter", "Calls of clsMOM operations, by HTTP status.");
  for (const auto& [k, n] : calls_)
    out += "mom_calls_total{operation=\"" + Label(k.first) + "\",status=\"" + std::to_string(k.second) + "\"} " +
           std::to_string(n) + "\n";
  Header(out, "mom_refusals_total", "counter", "Calls that returned false, by message number.");
  for (const auto& [k, n] : refusals_)
    out += "mom_refusals_total{operation=\"" + Label(k.first) + "\",message=\"" + Label(k.second) + "\"} " +
           std::to_string(n) + "\n";
  Header(out, "mom_stale_token_refusals_total", "counter", "Refusals because the row changed since it was read.");
  for (const auto& [op, n] : stale_)
    out += "mom_stale_token_refusals_total{operation=\"" + Label(op) + "\"} " + std::to_string(n) + "\n";
  Header(out, "mom_idempotent_replays_total", "counter", "Requests answered from the stored answer of their key.");
  for (const auto& [op, n] : replays_)
    out += "mom_idempotent_replays_total{operation=\"" + Label(op) + "\"} " + std::to_string(n) + "\n";
  Header(out, "mom_call_duration_seconds", "histogram", "Time from request to answer of the calls.");
  for (const auto& [op, h] : durations_) {
    const std::string label = "operation=\"" + Label(op) + "\"";
    uint64_t cumulative = 0;
    for (size_t i = 0; i < kBuckets.size(); ++i) {
      cumulative += h.counts[i];
      out += "mom_call_duration_seconds_bucket{" + label + ",le=\"" + Number(kBuckets[i]) + "\"} " +
             std::to_string(cumulative) + "\n";
    }
    out += "mom_call_duration_seconds_bucket{" + label + ",le=\"+Inf\"} " + std::to_string(h.count) + "\n";
    out += "mom_call_duration_seconds_sum{" + label + "} " + Number(h.sum) + "\n";
    out += "mom_call_duration_seconds_count{" + label + "} " + std::to_string(h.count) + "\n";
  }
  Header(out, "mom_http_responses_total", "counter", "Responses of the service, by HTTP status.");
  for (const auto& [status, n] : responses_)
    out += "mom_http_responses_total{status=\"" + std::to_string(status) + "\"} " + std::to_string(n) + "\n";
  return out;
}

}  // namespace mom_service
