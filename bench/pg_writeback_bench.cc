// The write-backs on PostgreSQL: MoRoutingWrB and MoQtyWrB called late-bound, each in
// a transaction the caller commits, against the same row locks, token checks and
// updates issued through libpq with prepared statements in the same transactions. Each
// benchmark has a fresh sample database of its own.

#include <benchmark/benchmark.h>

#include <memory>
#include <string>

#include "bench/bench_environment.h"
#include "bench/pg_benchmarks.h"
#include "bench/pg_environment.h"
#include "bench/pg_raw_writebacks.h"
#include "bench/unjournalled_database.h"
#include "bench/writeback_calls.h"
#include "platform/ado/connection.h"

namespace mom_bench {

namespace {

constexpr int kRoutingLine = 3003;  // the last operation of line 1001
constexpr int kOrderLine = 1001;    // under shop-floor control
constexpr double kQty = 0.001;

// Runs a component call per iteration inside a transaction of the connection, committed
// when the call succeeds.
template <typename Call>
void TimeComponentCall(benchmark::State& state, PgBenchDatabase& database, int id) {
  RegisterServers();
  com::Ptr<ado::Connection> conn = ado::Connection::Create();
  conn->Open(database.connection_string());
  Call call(conn, id, kQty);
  std::string error;
  for (auto _ : state) {
    conn->BeginTrans();
    if (call.Run(error)) {
      conn->CommitTrans();
    } else {
      conn->RollbackTrans();
      state.SkipWithError(error.c_str());
    }
  }
}

template <typename WriteBack>
void TimeRawWriteBack(benchmark::State& state, PgBenchDatabase& database, int id) {
  PgSession session(database.connection_string());
  WriteBack write_back(session);
  for (auto _ : state)
    if (const int code = write_back.Run(id, kQty))
      state.SkipWithError(("refused with " + std::to_string(code)).c_str());
}

// A benchmark's database without the journal, made so on first use.
class UnjournalledDatabase {
 public:
  explicit UnjournalledDatabase(PgBenchDatabase database) : database_(std::move(database)) {}
  PgBenchDatabase& database() {
    if (!removed_) RemoveQuantityJournal(database_.connection_string());
    removed_ = true;
    return database_;
  }

 private:
  PgBenchDatabase database_;
  bool removed_ = false;
};

}  // namespace

void RegisterPgWritebackBenchmarks(const std::string& server) {
  auto db = [&server](const char* name) { return std::make_shared<PgBenchDatabase>(server, name); };
  benchmark::RegisterBenchmark(
      "pg/MoRoutingWrB/component", [d = db("mom_bench_routing_component")](benchmark::State& state) {
        RunReportingErrors(state, [&] { TimeComponentCall<MoRoutingWrBCall>(state, *d, kRoutingLine); });
      });
  benchmark::RegisterBenchmark("pg/MoRoutingWrB/raw", [d = db("mom_bench_routing_raw")](benchmark::State& state) {
    RunReportingErrors(state, [&] { TimeRawWriteBack<PgRawRoutingWriteBack>(state, *d, kRoutingLine); });
  });
  benchmark::RegisterBenchmark(
      "pg/MoQtyWrB/component", [d = db("mom_bench_receipt_component")](benchmark::State& state) {
        RunReportingErrors(state, [&] { TimeComponentCall<MoQtyWrBCall>(state, *d, kOrderLine); });
      });
  benchmark::RegisterBenchmark("pg/MoQtyWrB/raw", [d = db("mom_bench_receipt_raw")](benchmark::State& state) {
    RunReportingErrors(state, [&] { TimeRawWriteBack<PgRawReceiptWriteBack>(state, *d, kOrderLine); });
  });

  // What the quantity journal costs: the same calls on a database without it.
  auto unjournalled = [&server](const char* name) {
    return std::make_shared<UnjournalledDatabase>(PgBenchDatabase(server, name));
  };
  benchmark::RegisterBenchmark(
      "pg/MoRoutingWrB/journal", [d = db("mom_bench_routing_journal")](benchmark::State& state) {
        RunReportingErrors(state, [&] { TimeComponentCall<MoRoutingWrBCall>(state, *d, kRoutingLine); });
      });
  benchmark::RegisterBenchmark("pg/MoRoutingWrB/unjournalled",
                               [d = unjournalled("mom_bench_routing_unjournalled")](benchmark::State& state) {
                                 RunReportingErrors(state, [&] {
                                   TimeComponentCall<MoRoutingWrBCall>(state, d->database(), kRoutingLine);
                                 });
                               });
  benchmark::RegisterBenchmark(
      "pg/MoQtyWrB/journal", [d = db("mom_bench_receipt_journal")](benchmark::State& state) {
        RunReportingErrors(state, [&] { TimeComponentCall<MoQtyWrBCall>(state, *d, kOrderLine); });
      });
  benchmark::RegisterBenchmark("pg/MoQtyWrB/unjournalled",
                               [d = unjournalled("mom_bench_receipt_unjournalled")](benchmark::State& state) {
                                 RunReportingErrors(state, [&] {
                                   TimeComponentCall<MoQtyWrBCall>(state, d->database(), kOrderLine);
                                 });
                               });
}

}  // namespace mom_bench
