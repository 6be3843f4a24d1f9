// MO generation on PostgreSQL for 200 sales lines of an assemble-to-order item, each
// with a model and an option row of net demand to credit, against 200 plain lines of
// the same orders: what the crediting adds to a line (its procedure call, its reading
// of the quantity decimals through CommonFunctions, its updates). Pairs "X/ato" with
// "X/plain"; each run starts from a fresh sample database with the orders added (not
// timed).

#include <benchmark/benchmark.h>

#include <chrono>
#include <string>

#include "bench/bench_environment.h"
#include "bench/generation_counters.h"
#include "bench/pg_benchmarks.h"
#include "bench/pg_environment.h"
#include "bench/pg_raw.h"
#include "bench/push_mo_call.h"
#include "bench/sales_order_set.h"

namespace mom_bench {

namespace {

constexpr int kOrders = 50;
constexpr int kLines = kOrders * kLinesPerSalesOrder;

// The orders' lines become FG003, an ATO item, each with a model row for its whole
// quantity and an option row (Seq 2, two per unit).
void MakeLinesAto(const std::string& connection_string) {
  PgSession s(connection_string);
  s.Execute("BEGIN");
  s.Execute("update so_sodetails set cInvCode = 'FG003', cFree1 = null, cFree2 = null where id >= 100000");
  s.Execute(
      "insert into mps_netdemand (DemandId, PartId, SoType, SoDId, DemandDate, Seq, Factor, BalQty, crdqty, "
      "ModifyFlag) select 2 * isosid, 3, 1, isosid, dPreMoDate, 1, 1, iQuantity, 0, '0' from so_sodetails "
      "where id >= 100000");
  s.Execute(
      "insert into mps_netdemand (DemandId, PartId, SoType, SoDId, DemandDate, Seq, Factor, BalQty, crdqty, "
      "ModifyFlag) select 2 * isosid + 1, 4, 1, isosid, dPreMoDate, 2, 2, 2 * iQuantity, 0, '0' from so_sodetails "
      "where id >= 100000");
  s.Execute("COMMIT");
}

void Generation(benchmark::State& state, const std::string& server, bool ato) {
  RegisterServers();
  std::chrono::steady_clock::duration spent{};
  for (auto _ : state) {
    state.PauseTiming();
    const std::string connection_string =
        FreshPgDatabase(server, ato ? "mom_bench_mogen_ato" : "mom_bench_mogen_plain");
    PgLoadSalesOrders(connection_string, kOrders);
    if (ato) MakeLinesAto(connection_string);
    PushMoFromSoCall call(connection_string, kOrders);
    state.ResumeTiming();
    const auto start = std::chrono::steady_clock::now();
    std::string error;
    if (!call.Run(error)) state.SkipWithError(error.c_str());
    spent += std::chrono::steady_clock::now() - start;
  }
  ReportGenerationCounters(state, kLines, spent);
}

}  // namespace

void RegisterPgAtoBenchmarks(const std::string& server) {
  for (const bool ato : {true, false})
    benchmark::RegisterBenchmark(
        ato ? "pg/PushMoFromSo200/ato" : "pg/PushMoFromSo200/plain",
        [server, ato](benchmark::State& state) { RunReportingErrors(state, [&] { Generation(state, server, ato); }); })
        ->Unit(benchmark::kMillisecond)
        ->Repetitions(kRepetitions);
}

}  // namespace mom_bench
