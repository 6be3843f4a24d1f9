// A write-back through the HTTP service against the same call in-process: MoRoutingWrB
// on one routing line, each in a transaction of its own committed when it returns true,
// made late-bound on a connection ("X/in-process"), or sent to the service on loopback
// with a kept-alive connection ("X/http"), and with an Idempotency-Key of its own
// ("X/http+key"). Every iteration is timed; the counters p50_us and p99_us are the
// median and the 99th percentile of one call's latency. On SQLite, and on PostgreSQL
// when MOM_TEST_PG names a server ("pg/serve/...").

#include <benchmark/benchmark.h>
#include <httplib.h>

#include <algorithm>
#include <chrono>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "bench/bench_environment.h"
#include "bench/pg_environment.h"
#include "bench/writeback_calls.h"
#include "platform/ado/connection.h"
#include "platform/ado/connection_string.h"
#include "tools/mom/serve/call_service.h"
#include "tools/mom/serve/http_service.h"
#include "tools/mom/serve/request_log.h"

namespace {

constexpr int kRoutingLine = 3003;
constexpr double kQty = 0.001;

// One call's latencies, in microseconds.
class Latencies {
 public:
  void Add(std::chrono::steady_clock::duration d) {
    samples_.push_back(std::chrono::duration<double, std::micro>(d).count());
  }
  void Report(benchmark::State& state) {
    if (samples_.empty()) return;
    std::sort(samples_.begin(), samples_.end());
    auto at = [&](double q) { return samples_[static_cast<size_t>(q * static_cast<double>(samples_.size() - 1))]; };
    state.counters["p50_us"] = at(0.50);
    state.counters["p99_us"] = at(0.99);
  }

 private:
  std::vector<double> samples_;
};

void InProcess(benchmark::State& state, const std::string& connection_string) {
  mom_bench::RegisterServers();
  com::Ptr<ado::Connection> conn = ado::Connection::Create();
  conn->Open(connection_string);
  mom_bench::MoRoutingWrBCall call(conn, kRoutingLine, kQty);
  std::string error;
  Latencies latencies;
  for (auto _ : state) {
    auto start = std::chrono::steady_clock::now();
    conn->BeginTrans();
    if (call.Run(error)) {
      conn->CommitTrans();
    } else {
      conn->RollbackTrans();
      state.SkipWithError(error.c_str());
    }
    latencies.Add(std::chrono::steady_clock::now() - start);
  }
  latencies.Report(state);
}

// The service on loopback for the benchmark's life, as `mom serve` runs it.
class LoopbackService {
 public:
  explicit LoopbackService(const std::string& connection_string) : log_("/dev/null") {
    mom_bench::RegisterServers();
    mom_service::ServiceSettings settings;
    settings.connection_string = connection_string;
    calls_ = std::make_unique<mom_service::CallService>(settings);
    mom_service::HttpSettings http;
    http.listen = {"127.0.0.1", 0, ""};
    http_ = std::make_unique<mom_service::HttpService>(*calls_, http, log_);
    port_ = http_->Bind().port;
    thread_ = std::thread([this] { http_->Run(); });
    while (!http_->IsRunning()) std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  ~LoopbackService() {
    http_->Stop();
    thread_.join();
  }
  int port() const { return port_; }

 private:
  mom_service::RequestLog log_;
  std::unique_ptr<mom_service::CallService> calls_;
  std::unique_ptr<mom_service::HttpService> http_;
  int port_ = 0;
  std::thread thread_;
};

void ThroughHttp(benchmark::State& state, const std::string& connection_string, bool with_key) {
  LoopbackService service(connection_string);
  httplib::Client client("127.0.0.1", service.port());
  client.set_keep_alive(true);
  client.set_tcp_nodelay(true);
  const std::string body =
      "{\"MoRoutingDId\": " + std::to_string(kRoutingLine) + ", \"fNetChgQty\": " + std::to_string(kQty) + "}";
  static int64_t key_counter = 0;
  const std::string key_prefix = "bench-" + std::to_string(mom_service::UnixNow()) + "-";
  Latencies latencies;
  for (auto _ : state) {
    httplib::Headers headers;
    if (with_key) headers.emplace("Idempotency-Key", key_prefix + std::to_string(++key_counter));
    auto start = std::chrono::steady_clock::now();
    auto res = client.Post("/v1/call/MoRoutingWrB", headers, body, "application/json");
    latencies.Add(std::chrono::steady_clock::now() - start);
    if (!res || res->status != 200) {
      state.SkipWithError(res ? res->body.c_str() : "no answer");
      break;
    }
  }
  latencies.Report(state);
}

void RegisterFor(const std::string& prefix, const std::string& connection_string) {
  benchmark::RegisterBenchmark((prefix + "MoRoutingWrB/in-process").c_str(),
                               [connection_string](benchmark::State& s) { InProcess(s, connection_string); });
  benchmark::RegisterBenchmark((prefix + "MoRoutingWrB/http").c_str(), [connection_string](benchmark::State& s) {
    ThroughHttp(s, connection_string, false);
  });
  benchmark::RegisterBenchmark((prefix + "MoRoutingWrB/http+key").c_str(), [connection_string](benchmark::State& s) {
    ThroughHttp(s, connection_string, true);
  });
}

}  // namespace

namespace mom_bench {

void RegisterServeBenchmarks() {
  RegisterFor("serve/", ado::ConnectionString::ForSqliteFile(SampleDatabase()));
  const std::string server = PostgresServer();
  if (server.empty()) {
    std::printf("pg/serve/...: left out (MOM_TEST_PG names no PostgreSQL server)\n");
    return;
  }
  RegisterFor("pg/serve/", FreshPgDatabase(server, "mom_bench_serve"));
}

}  // namespace mom_bench
