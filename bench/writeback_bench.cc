// One routing write-back through the late-bound interface, against the same update
// issued directly through sqlite3 with a prepared statement.

#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <filesystem>
#include <string>

#include "bench/bench_environment.h"
#include "bench/unjournalled_database.h"
#include "platform/ado/connection.h"
#include "platform/ado/connection_string.h"
#include "bench/writeback_calls.h"

namespace {

void MoRoutingWrB_component(benchmark::State& state) {
  const std::string& db = mom_bench::SampleDatabase();
  com::Ptr<ado::Connection> conn = ado::Connection::Create();
  conn->Open(ado::ConnectionString::ForSqliteFile(db));
  mom_bench::MoRoutingWrBCall call(conn, 3003, 0.001);
  std::string error;
  for (auto _ : state)
    if (!call.Run(error)) state.SkipWithError(error.c_str());
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

namespace {

// The composite receipt on a shop-floor line: two queries and two procedure calls,
// against the same two reads and two updates issued directly.
void MoQtyWrB_component(benchmark::State& state) {
  const std::string& db = mom_bench::SampleDatabase();
  com::Ptr<ado::Connection> conn = ado::Connection::Create();
  conn->Open(ado::ConnectionString::ForSqliteFile(db));
  mom_bench::MoQtyWrBCall call(conn, 1001, 0.001);
  std::string error;
  for (auto _ : state)
    if (!call.Run(error)) state.SkipWithError(error.c_str());
}
BENCHMARK(MoQtyWrB_component)->Name("MoQtyWrB/component");

void MoQtyWrB_raw(benchmark::State& state) {
  const std::string& db = mom_bench::SampleDatabase();
  sqlite3* handle = nullptr;
  sqlite3_open_v2(db.c_str(), &handle, SQLITE_OPEN_READWRITE, nullptr);
  sqlite3_busy_timeout(handle, 30000);
  auto prepare = [&](const char* sql) {
    sqlite3_stmt* s = nullptr;
    sqlite3_prepare_v2(handle, sql, -1, &s, nullptr);
    return s;
  };
  sqlite3_stmt* flag = prepare("select SfcFlag from mom_orderdetail where MoDId = ?1");
  sqlite3_stmt* last = prepare(
      "select b.MoRoutingDId, b.Krts from sfc_morouting a, sfc_moroutingdetail b "
      "where a.MoRoutingId = b.MoRoutingId and b.LastFlag = 1 and a.MoDId = ?1");
  sqlite3_stmt* routing = prepare(
      "update sfc_moroutingdetail set CompleteQty = CompleteQty + ?1, QualifiedQty = QualifiedQty + ?1 "
      "where MoRoutingDId = ?2");
  sqlite3_stmt* receipt = prepare("update mom_orderdetail set QualifiedInQty = QualifiedInQty + ?1 where MoDId = ?2");
  for (auto _ : state) {
    sqlite3_bind_int(flag, 1, 1001);
    bool shop_floor = sqlite3_step(flag) == SQLITE_ROW && sqlite3_column_int(flag, 0) != 0;
    sqlite3_reset(flag);
    if (!shop_floor) state.SkipWithError("line 1001 is not under shop-floor control");
    // The last operations are read to the end first, as a client-side cursor does.
    int routing_ids[8];
    int count = 0;
    sqlite3_bind_int(last, 1, 1001);
    while (count < 8 && sqlite3_step(last) == SQLITE_ROW) routing_ids[count++] = sqlite3_column_int(last, 0);
    sqlite3_reset(last);
    for (int i = 0; i < count; ++i) {
      int routing_id = routing_ids[i];
      sqlite3_bind_double(routing, 1, 0.001);
      sqlite3_bind_int(routing, 2, routing_id);
      sqlite3_step(routing);
      sqlite3_reset(routing);
      sqlite3_bind_double(receipt, 1, 0.001);
      sqlite3_bind_int(receipt, 2, 1001);
      sqlite3_step(receipt);
      sqlite3_reset(receipt);
    }
  }
  for (sqlite3_stmt* s : {flag, last, routing, receipt}) sqlite3_finalize(s);
  sqlite3_close(handle);
}
BENCHMARK(MoQtyWrB_raw)->Name("MoQtyWrB/raw");

}  // namespace

namespace {

// What the quantity journal costs a write-back: the same call on a copy of the sample
// database with the journal ("X/journal") and on one without it ("X/unjournalled").
std::string SampleCopy(const std::string& name, bool journal) {
  const std::string& sample = mom_bench::SampleDatabase();
  const std::string path = std::filesystem::path(sample).parent_path() / name;
  for (const char* suffix : {"", "-wal", "-shm"}) std::filesystem::remove(path + suffix);
  std::filesystem::copy_file(sample, path);
  if (!journal) mom_bench::RemoveQuantityJournal(path);
  return path;
}

template <typename Call>
void TimeWriteBack(benchmark::State& state, const std::string& db, int id) {
  com::Ptr<ado::Connection> conn = ado::Connection::Create();
  conn->Open(ado::ConnectionString::ForSqliteFile(db));
  Call call(conn, id, 0.001);
  std::string error;
  for (auto _ : state)
    if (!call.Run(error)) state.SkipWithError(error.c_str());
}

void MoRoutingWrB_journal(benchmark::State& state) {
  static const std::string db = SampleCopy("routing_journal.db", true);
  TimeWriteBack<mom_bench::MoRoutingWrBCall>(state, db, 3003);
}
BENCHMARK(MoRoutingWrB_journal)->Name("MoRoutingWrB/journal");

void MoRoutingWrB_unjournalled(benchmark::State& state) {
  static const std::string db = SampleCopy("routing_unjournalled.db", false);
  TimeWriteBack<mom_bench::MoRoutingWrBCall>(state, db, 3003);
}
BENCHMARK(MoRoutingWrB_unjournalled)->Name("MoRoutingWrB/unjournalled");

void MoQtyWrB_journal(benchmark::State& state) {
  static const std::string db = SampleCopy("receipt_journal.db", true);
  TimeWriteBack<mom_bench::MoQtyWrBCall>(state, db, 1001);
}
BENCHMARK(MoQtyWrB_journal)->Name("MoQtyWrB/journal");

void MoQtyWrB_unjournalled(benchmark::State& state) {
  static const std::string db = SampleCopy("receipt_unjournalled.db", false);
  TimeWriteBack<mom_bench::MoQtyWrBCall>(state, db, 1001);
}
BENCHMARK(MoQtyWrB_unjournalled)->Name("MoQtyWrB/unjournalled");

}  // namespace
