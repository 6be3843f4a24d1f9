// One routing write-back through the late-bound interface, against the same work
// issued directly through sqlite3 with prepared statements: what the procedure must do
// (its own transaction holding the write lock, the token and order-status read, the
// update), so that the pair compares the layers, not the work.

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

constexpr int kClosedStatus = 4;

class RawSession {
 public:
  explicit RawSession(const std::string& path) {
    sqlite3_open_v2(path.c_str(), &db_, SQLITE_OPEN_READWRITE, nullptr);
    sqlite3_busy_timeout(db_, 30000);
    begin_ = Prepare("BEGIN IMMEDIATE");
    commit_ = Prepare("COMMIT");
    rollback_ = Prepare("ROLLBACK");
    routing_read_ = Prepare(
        "select r.Krts, d.Status, r.CompleteQty, r.QualifiedQty from sfc_moroutingdetail r "
        "left join sfc_morouting m on m.MoRoutingId = r.MoRoutingId "
        "left join mom_orderdetail d on d.MoDId = m.MoDId where r.MoRoutingDId = ?1");
    routing_update_ =
        Prepare("update sfc_moroutingdetail set CompleteQty = ?1, QualifiedQty = ?2 where MoRoutingDId = ?3");
    receipt_read_ = Prepare("select QualifiedInQty, Status, Krts from mom_orderdetail where MoDId = ?1");
    receipt_update_ = Prepare(
        "update mom_orderdetail set QualifiedInQty = ?1, LastInDate = coalesce(?2, LastInDate) where MoDId = ?3");
  }
  ~RawSession() {
    for (sqlite3_stmt* s : {begin_, commit_, rollback_, routing_read_, routing_update_, receipt_read_, receipt_update_})
      sqlite3_finalize(s);
    sqlite3_close(db_);
  }
  RawSession(const RawSession&) = delete;
  RawSession& operator=(const RawSession&) = delete;

  sqlite3* db() const { return db_; }
  sqlite3_stmt* Prepare(const char* sql) {
    sqlite3_stmt* s = nullptr;
    sqlite3_prepare_v2(db_, sql, -1, &s, nullptr);
    return s;
  }

  // Usp_SF_UpdMRoutingQty type 6: false when refused.
  bool Routing(int routing_id, double qty) {
    return InTransaction([&] {
      sqlite3_bind_int(routing_read_, 1, routing_id);
      const bool found = sqlite3_step(routing_read_) == SQLITE_ROW;
      const bool closed = found && sqlite3_column_type(routing_read_, 1) != SQLITE_NULL &&
                          sqlite3_column_int(routing_read_, 1) == kClosedStatus;
      const double complete = found ? sqlite3_column_double(routing_read_, 2) + qty : 0;
      const double qualified = found ? sqlite3_column_double(routing_read_, 3) + qty : 0;
      sqlite3_reset(routing_read_);
      if (!found || closed) return false;
      sqlite3_bind_double(routing_update_, 1, complete);
      sqlite3_bind_double(routing_update_, 2, qualified);
      sqlite3_bind_int(routing_update_, 3, routing_id);
      const bool done = sqlite3_step(routing_update_) == SQLITE_DONE;
      sqlite3_reset(routing_update_);
      return done;
    });
  }

  // Usp_MO_UpdMoQty type 1: false when refused.
  bool Receipt(int line_id, double qty) {
    return InTransaction([&] {
      sqlite3_bind_int(receipt_read_, 1, line_id);
      const bool found = sqlite3_step(receipt_read_) == SQLITE_ROW;
      const bool closed = found && sqlite3_column_int(receipt_read_, 1) == kClosedStatus;
      const double received = found ? sqlite3_column_double(receipt_read_, 0) + qty : 0;
      sqlite3_reset(receipt_read_);
      if (!found || closed || received < 0) return false;
      sqlite3_bind_double(receipt_update_, 1, received);
      sqlite3_bind_null(receipt_update_, 2);
      sqlite3_bind_int(receipt_update_, 3, line_id);
      const bool done = sqlite3_step(receipt_update_) == SQLITE_DONE;
      sqlite3_reset(receipt_update_);
      return done;
    });
  }

 private:
  template <typename Work>
  bool InTransaction(Work&& work) {
    Run(begin_);
    const bool done = work();
    Run(done ? commit_ : rollback_);
    return done;
  }
  static void Run(sqlite3_stmt* s) {
    sqlite3_step(s);
    sqlite3_reset(s);
  }

  sqlite3* db_ = nullptr;
  sqlite3_stmt *begin_, *commit_, *rollback_, *routing_read_, *routing_update_, *receipt_read_, *receipt_update_;
};

void MoRoutingWrB_component(benchmark::State& state) {
  const std::string& db = mom_bench::SampleDatabase();
  com::Ptr<ado::Connection> conn = ado::Connection::Create();
  conn->Open(ado::ConnectionString::ForSqliteFile(db));
  mom_bench::MoRoutingWrBCall call(conn, 3003, 0.001);
  std::string error;
  for (auto _ : state)
    if (!call.Run(error)) state.SkipWithError(error.c_str());
}
BENCHMARK(MoRoutingWrB_component)->Name("MoRoutingWrB/component")->Repetitions(mom_bench::kRepetitions);

void MoRoutingWrB_raw(benchmark::State& state) {
  RawSession session(mom_bench::SampleDatabase());
  for (auto _ : state)
    if (!session.Routing(3003, 0.001)) state.SkipWithError(sqlite3_errmsg(session.db()));
}
BENCHMARK(MoRoutingWrB_raw)->Name("MoRoutingWrB/raw")->Repetitions(mom_bench::kRepetitions);

// The composite receipt on a shop-floor line: two queries and two procedure calls,
// against the same two reads and the two procedures' work issued directly.
void MoQtyWrB_component(benchmark::State& state) {
  const std::string& db = mom_bench::SampleDatabase();
  com::Ptr<ado::Connection> conn = ado::Connection::Create();
  conn->Open(ado::ConnectionString::ForSqliteFile(db));
  mom_bench::MoQtyWrBCall call(conn, 1001, 0.001);
  std::string error;
  for (auto _ : state)
    if (!call.Run(error)) state.SkipWithError(error.c_str());
}
BENCHMARK(MoQtyWrB_component)->Name("MoQtyWrB/component")->Repetitions(mom_bench::kRepetitions);

void MoQtyWrB_raw(benchmark::State& state) {
  RawSession session(mom_bench::SampleDatabase());
  sqlite3_stmt* flag = session.Prepare("select SfcFlag from mom_orderdetail where MoDId = ?1");
  sqlite3_stmt* last = session.Prepare(
      "select b.MoRoutingDId, b.Krts from sfc_morouting a, sfc_moroutingdetail b "
      "where a.MoRoutingId = b.MoRoutingId and b.LastFlag = 1 and a.MoDId = ?1");
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
    for (int i = 0; i < count; ++i)
      if (!session.Routing(routing_ids[i], 0.001) || !session.Receipt(1001, 0.001))
        state.SkipWithError("the write-back was refused");
  }
  sqlite3_finalize(flag);
  sqlite3_finalize(last);
}
BENCHMARK(MoQtyWrB_raw)->Name("MoQtyWrB/raw")->Repetitions(mom_bench::kRepetitions);

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
BENCHMARK(MoRoutingWrB_journal)->Name("MoRoutingWrB/journal")->Repetitions(mom_bench::kRepetitions);

void MoRoutingWrB_unjournalled(benchmark::State& state) {
  static const std::string db = SampleCopy("routing_unjournalled.db", false);
  TimeWriteBack<mom_bench::MoRoutingWrBCall>(state, db, 3003);
}
BENCHMARK(MoRoutingWrB_unjournalled)->Name("MoRoutingWrB/unjournalled")->Repetitions(mom_bench::kRepetitions);

void MoQtyWrB_journal(benchmark::State& state) {
  static const std::string db = SampleCopy("receipt_journal.db", true);
  TimeWriteBack<mom_bench::MoQtyWrBCall>(state, db, 1001);
}
BENCHMARK(MoQtyWrB_journal)->Name("MoQtyWrB/journal")->Repetitions(mom_bench::kRepetitions);

void MoQtyWrB_unjournalled(benchmark::State& state) {
  static const std::string db = SampleCopy("receipt_unjournalled.db", false);
  TimeWriteBack<mom_bench::MoQtyWrBCall>(state, db, 1001);
}
BENCHMARK(MoQtyWrB_unjournalled)->Name("MoQtyWrB/unjournalled")->Repetitions(mom_bench::kRepetitions);

}  // namespace
