// One routing write-back through the late-bound interface, against the same update
// issued directly through sqlite3 with a prepared statement.

#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include "bench/bench_environment.h"
#include "platform/ado/connection.h"
#include "platform/ado/connection_string.h"
#include "platform/com/creation.h"
#include "platform/com/late_binding.h"

namespace {

void MoRoutingWrB_component(benchmark::State& state) {
  const std::string& db = mom_bench::SampleDatabase();
  com::Ptr<ado::Connection> conn = ado::Connection::Create();
  conn->Open(ado::ConnectionString::ForSqliteFile(db));
  com::Ptr<com::IDispatch> mom = com::CreateObject("KRZ7DEVUZIda.clsMOM");
  com::Variant id(3003), qty(0.001), err(""), token("");
  com::Variant conn_arg(com::Ptr<com::IUnknown>(static_cast<com::IUnknown*>(conn.get())));
  com::Variant args[] = {com::Variant::Ref(&id), com::Variant::Ref(&qty), conn_arg, com::Variant::Ref(&err),
                         com::Variant::Ref(&token)};
  for (auto _ : state) {
    bool ok = com::CallByName(mom.get(), "MoRoutingWrB", args).ToBool();
    if (!ok) state.SkipWithError(err.ToString().c_str());
  }
}
BENCHMARK(MoRoutingWrB_component)->Name("MoRoutingWrB/component");

void MoRoutingWrB_raw(benchmark::State& state) {
  const std::string& db = mom_bench::SampleDatabase();
  sqlite3* handle = nullptr;
  sqlite3_open_v2(db.c_str(), &handle, SQLITE_OPEN_READWRITE, nullptr);
  sqlite3_busy_timeout(handle, 30000);
  sqlite3_stmt* update = nullptr;
  sqlite3_prepare_v2(handle,
                     "update sfc_moroutingdetail set CompleteQty = CompleteQty + ?1, QualifiedQty = QualifiedQty + ?1 "
                     "where MoRoutingDId = ?2",
                     -1, &update, nullptr);
  for (auto _ : state) {
    sqlite3_bind_double(update, 1, 0.001);
    sqlite3_bind_int(update, 2, 3003);
    if (sqlite3_step(update) != SQLITE_DONE) state.SkipWithError(sqlite3_errmsg(handle));
    sqlite3_reset(update);
  }
  sqlite3_finalize(update);
  sqlite3_close(handle);
}
BENCHMARK(MoRoutingWrB_raw)->Name("MoRoutingWrB/raw");

}  // namespace
