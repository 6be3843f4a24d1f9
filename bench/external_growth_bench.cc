// Growth of the external-order path with its number of lines: one run over 1,000 lines
// against one over 10,000, on each provider. The run is one transaction that holds its
// locks to the end, so its time must grow with the lines and no faster; the reporter
// prints the ratio of the two times ("growth X: 10k / 1k"), 10 for a linear path. Each
// run starts from a fresh sample database with the orders added (not timed).

#include <benchmark/benchmark.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <string>
#include <utility>

#include "bench/bench_environment.h"
#include "bench/external_order_set.h"
#include "bench/generation_counters.h"
#include "bench/pg_benchmarks.h"
#include "bench/pg_environment.h"
#include "platform/ado/connection_string.h"

namespace mom_bench {

namespace {

std::string FreshSqliteDatabase(const std::string& name) {
  const std::string& sample = SampleDatabase();
  const std::string path = std::filesystem::path(sample).parent_path() / name;
  for (const char* suffix : {"", "-wal", "-shm"}) std::filesystem::remove(path + suffix);
  std::filesystem::copy_file(sample, path);
  return ado::ConnectionString::ForSqliteFile(path);
}

template <typename FreshDatabase>
void ExternalGeneration(benchmark::State& state, int lines, FreshDatabase fresh) {
  RegisterServers();
  std::chrono::steady_clock::duration spent{};
  for (auto _ : state) {
    state.PauseTiming();
    const std::string connection_string = fresh();
    {
      com::Ptr<ado::Connection> conn = ado::Connection::Create();
      conn->Open(connection_string);
      LoadExternalOrders(conn.get(), lines);
    }
    PushMoFromExternalCall call(connection_string, lines);
    state.ResumeTiming();
    const auto start = std::chrono::steady_clock::now();
    std::string error;
    if (!call.Run(error)) state.SkipWithError(error.c_str());
    spent += std::chrono::steady_clock::now() - start;
  }
  ReportGenerationCounters(state, lines, spent);
}

void RegisterGrowthPair(const std::string& prefix, const std::function<std::string()>& fresh) {
  for (const auto& [name, lines] : {std::pair{"1k", 1000}, std::pair{"10k", 10000}}) {
    const int n = lines;
    benchmark::RegisterBenchmark((prefix + "PushMoFromExternal/" + name).c_str(),
                                 [n, fresh](benchmark::State& state) {
                                   RunReportingErrors(state, [&] { ExternalGeneration(state, n, fresh); });
                                 })
        ->Unit(benchmark::kMillisecond);
  }
}

const bool kSqlitePairRegistered = [] {
  RegisterGrowthPair("", [] { return FreshSqliteDatabase("external_growth.db"); });
  return true;
}();

}  // namespace

void RegisterPgExternalGrowthBenchmarks(const std::string& server) {
  RegisterGrowthPair("pg/", [server] { return FreshPgDatabase(server, "mom_bench_external_growth"); });
}

}  // namespace mom_bench
