// MO generation on PostgreSQL for the 10,000 sales lines: PushMoFromSo against the same
// reads, inserts and updates issued through libpq with prepared statements, one
// transaction per line. Each run starts from a fresh sample database with the orders
// added (not timed). One run takes seconds, so the default minimum time gives one
// iteration; a fixed count would rename the benchmarks and unpair them.

#include <benchmark/benchmark.h>

#include <chrono>
#include <string>

#include "bench/bench_environment.h"
#include "bench/generation_counters.h"
#include "bench/pg_benchmarks.h"
#include "bench/pg_environment.h"
#include "bench/pg_raw_generation.h"
#include "bench/push_mo_call.h"
#include "bench/sales_order_set.h"
#include "bench/unjournalled_database.h"

namespace mom_bench {

namespace {

std::string FreshGenerationDatabase(const std::string& server, const std::string& name) {
  const std::string connection_string = FreshPgDatabase(server, name);
  PgLoadSalesOrders(connection_string, kSalesOrders);
  return connection_string;
}

// `journal` false: on a database without the quantity journal, for its cost.
void ComponentGeneration(benchmark::State& state, const std::string& server, const char* name = "mom_bench_mogen_component",
                         bool journal = true) {
  RegisterServers();
  std::chrono::steady_clock::duration spent{};
  for (auto _ : state) {
    state.PauseTiming();
    const std::string connection_string = FreshGenerationDatabase(server, name);
    if (!journal) RemoveQuantityJournal(connection_string);
    PushMoFromSoCall call(connection_string, kSalesOrders);
    state.ResumeTiming();
    const auto start = std::chrono::steady_clock::now();
    std::string error;
    if (!call.Run(error)) state.SkipWithError(error.c_str());
    spent += std::chrono::steady_clock::now() - start;
  }
  ReportGenerationCounters(state, kSalesLines, spent);
}

void RawGeneration(benchmark::State& state, const std::string& server) {
  std::chrono::steady_clock::duration spent{};
  for (auto _ : state) {
    state.PauseTiming();
    const std::string connection_string = FreshGenerationDatabase(server, "mom_bench_mogen_raw");
    state.ResumeTiming();
    const auto start = std::chrono::steady_clock::now();
    PgSession session(connection_string);
    const int generated = PgRawGenerateFromSalesOrders(session);
    spent += std::chrono::steady_clock::now() - start;
    if (generated != kSalesLines) state.SkipWithError("unexpected number of lines");
  }
  ReportGenerationCounters(state, kSalesLines, spent);
}

}  // namespace

void RegisterPgMogenBenchmarks(const std::string& server) {
  benchmark::RegisterBenchmark(
      "pg/PushMoFromSo/component",
      [server](benchmark::State& state) { RunReportingErrors(state, [&] { ComponentGeneration(state, server); }); })
      ->Unit(benchmark::kMillisecond);
  benchmark::RegisterBenchmark(
      "pg/PushMoFromSo/raw",
      [server](benchmark::State& state) { RunReportingErrors(state, [&] { RawGeneration(state, server); }); })
      ->Unit(benchmark::kMillisecond);
  benchmark::RegisterBenchmark("pg/PushMoFromSo/journal",
                               [server](benchmark::State& state) {
                                 RunReportingErrors(
                                     state, [&] { ComponentGeneration(state, server, "mom_bench_mogen_journal"); });
                               })
      ->Unit(benchmark::kMillisecond);
  benchmark::RegisterBenchmark("pg/PushMoFromSo/unjournalled",
                               [server](benchmark::State& state) {
                                 RunReportingErrors(state, [&] {
                                   ComponentGeneration(state, server, "mom_bench_mogen_unjournalled", false);
                                 });
                               })
      ->Unit(benchmark::kMillisecond);
}

}  // namespace mom_bench
