// MO generation for 10,000 sales-order lines (four per order) through PushMoFromSo,
// against the same reads, inserts and updates issued directly through sqlite3 with one
// transaction per line. Each run starts from a fresh copy of the sample database.

#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <vector>

#include "bench/bench_environment.h"
#include "bench/generation_counters.h"
#include "bench/push_mo_call.h"
#include "bench/sales_order_set.h"
#include "bench/unjournalled_database.h"
#include "platform/ado/connection_string.h"

namespace {

void Check(int rc, sqlite3* db, int expected = SQLITE_OK) {
  if (rc != expected) throw std::runtime_error(sqlite3_errmsg(db));
}

// A copy of the sample database with the benchmark's open sales orders BSO00000...
std::string FreshDatabase(const std::string& name) {
  const std::string& sample = mom_bench::SampleDatabase();
  const std::string path = std::filesystem::path(sample).parent_path() / name;
  for (const char* suffix : {"", "-wal", "-shm"}) std::filesystem::remove(path + suffix);
  std::filesystem::copy_file(sample, path);
  sqlite3* db = nullptr;
  sqlite3_open(path.c_str(), &db);
  Check(sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr), db);
  sqlite3_stmt* order = nullptr;
  sqlite3_stmt* line = nullptr;
  sqlite3_prepare_v2(db, "insert into so_somain (id, cSOCode, dDate) values (?1, ?2, ?3)", -1,
                     &order, nullptr);
  sqlite3_prepare_v2(db,
                     "insert into so_sodetails (isosid, id, iRowNo, cInvCode, iQuantity, cFree1, cFree2, dPreMoDate) "
                     "values (?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8)",
                     -1, &line, nullptr);
  for (int o = 0; o < mom_bench::kSalesOrders; ++o) {
    const std::string code = mom_bench::SalesOrderCode(o);
    sqlite3_bind_int(order, 1, mom_bench::SalesOrderId(o));
    sqlite3_bind_text(order, 2, code.c_str(), -1, SQLITE_TRANSIENT);
    sqlite3_bind_text(order, 3, mom_bench::kSalesOrderDate, -1, SQLITE_STATIC);
    Check(sqlite3_step(order), db, SQLITE_DONE);
    sqlite3_reset(order);
    for (int l = 0; l < mom_bench::kLinesPerSalesOrder; ++l) {
      const mom_bench::SalesOrderLine line_data = mom_bench::SalesOrderLineAt(o, l);
      sqlite3_bind_int(line, 1, line_data.line_id);
      sqlite3_bind_int(line, 2, line_data.order_id);
      sqlite3_bind_int(line, 3, line_data.row_no);
      sqlite3_bind_text(line, 4, line_data.item, -1, SQLITE_STATIC);
      sqlite3_bind_int(line, 5, line_data.qty);
      if (line_data.free1) {
        sqlite3_bind_text(line, 6, line_data.free1, -1, SQLITE_STATIC);
        sqlite3_bind_text(line, 7, line_data.free2, -1, SQLITE_STATIC);
      } else {
        sqlite3_bind_null(line, 6);
        sqlite3_bind_null(line, 7);
      }
      sqlite3_bind_text(line, 8, mom_bench::kSalesLineDueDate, -1, SQLITE_STATIC);
      Check(sqlite3_step(line), db, SQLITE_DONE);
      sqlite3_reset(line);
    }
  }
  sqlite3_finalize(order);
  sqlite3_finalize(line);
  Check(sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr), db);
  sqlite3_close(db);
  return path;
}

void PushMoFromSo_component(benchmark::State& state) {
  mom_bench::RegisterServers();
  std::chrono::steady_clock::duration spent{};
  for (auto _ : state) {
    state.PauseTiming();
    mom_bench::PushMoFromSoCall call(ado::ConnectionString::ForSqliteFile(FreshDatabase("mogen_component.db")),
                                     mom_bench::kSalesOrders);
    state.ResumeTiming();
    const auto start = std::chrono::steady_clock::now();
    std::string error;
    if (!call.Run(error)) state.SkipWithError(error.c_str());
    spent += std::chrono::steady_clock::now() - start;
  }
  mom_bench::ReportGenerationCounters(state, mom_bench::kSalesLines, spent);
}
// One run of 10,000 lines takes seconds: the default minimum time gives one iteration.
BENCHMARK(PushMoFromSo_component)->Name("PushMoFromSo/component")->Unit(benchmark::kMillisecond);

// What the quantity journal costs the generation: the same run with the journal and on
// a database without it.
void GenerateWithOrWithoutJournal(benchmark::State& state, bool journal) {
  mom_bench::RegisterServers();
  std::chrono::steady_clock::duration spent{};
  for (auto _ : state) {
    state.PauseTiming();
    const std::string path = FreshDatabase(journal ? "mogen_journal.db" : "mogen_unjournalled.db");
    if (!journal) mom_bench::RemoveQuantityJournal(path);
    mom_bench::PushMoFromSoCall call(ado::ConnectionString::ForSqliteFile(path), mom_bench::kSalesOrders);
    state.ResumeTiming();
    const auto start = std::chrono::steady_clock::now();
    std::string error;
    if (!call.Run(error)) state.SkipWithError(error.c_str());
    spent += std::chrono::steady_clock::now() - start;
  }
  mom_bench::ReportGenerationCounters(state, mom_bench::kSalesLines, spent);
}
void PushMoFromSo_journal(benchmark::State& state) { GenerateWithOrWithoutJournal(state, true); }
void PushMoFromSo_unjournalled(benchmark::State& state) { GenerateWithOrWithoutJournal(state, false); }
BENCHMARK(PushMoFromSo_journal)->Name("PushMoFromSo/journal")->Unit(benchmark::kMillisecond);
BENCHMARK(PushMoFromSo_unjournalled)->Name("PushMoFromSo/unjournalled")->Unit(benchmark::kMillisecond);

// Per line, as the generation does it: token check once per order, the part, the valid
// bill, the net demand of the line, the order and its line, the allocations, the
// numbering and the sales line's MO quantity, in one transaction.
void PushMoFromSo_raw(benchmark::State& state) {
  std::chrono::steady_clock::duration spent{};
  for (auto _ : state) {
    state.PauseTiming();
    const std::string path = FreshDatabase("mogen_raw.db");
    state.ResumeTiming();
    const auto start = std::chrono::steady_clock::now();

    sqlite3* db = nullptr;
    sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READWRITE, nullptr);
    sqlite3_busy_timeout(db, 30000);
    sqlite3_exec(db, "PRAGMA journal_mode=WAL; PRAGMA foreign_keys=ON", nullptr, nullptr, nullptr);
    auto prepare = [&](const char* sql) {
      sqlite3_stmt* s = nullptr;
      Check(sqlite3_prepare_v2(db, sql, -1, &s, nullptr), db);
      return s;
    };
    sqlite3_stmt* lines = prepare(
        "select m.id, m.Krts, d.isosid, d.iQuantity, d.cInvCode, d.cFree1, d.cFree2, d.dPreMoDate "
        "from so_somain m join so_sodetails d on d.id = m.id where m.id >= 100000 order by m.id, d.isosid");
    sqlite3_stmt* token = prepare("select Krts from so_somain where id = ?1");
    sqlite3_stmt* part = prepare(
        "select PartId from bas_part where InvCode = ?1 and coalesce(Free1, '') = coalesce(?2, '') and "
        "coalesce(Free2, '') = coalesce(?3, '') order by PartId limit 1");
    sqlite3_stmt* demand = prepare("select DemandId from mps_netdemand where SoType = 1 and SoDId = ?1");
    sqlite3_stmt* bom =
        prepare("select BomId from bom_bom where PartId = ?1 and Status = 3 order by Version desc limit 1");
    sqlite3_stmt* head =
        prepare("insert into mom_order (MoCode, CreateDate, CreateUser) values (?1, datetime('now'), 'bench')");
    sqlite3_stmt* detail = prepare(
        "insert into mom_orderdetail (MoId, PartId, InvCode, BomId, Qty, SoType, SoDId, DueDate, Free1, Free2) "
        "values (?1, ?2, ?3, ?4, ?5, 1, ?6, ?7, ?8, ?9)");
    sqlite3_stmt* allocate = prepare(
        "insert into mom_moallocate (MoDId, SortSeq, OpSeq, ComponentId, InvCode, BaseQtyN, BaseQtyD, CompScrap, "
        "FVFlag, ByproductFlag, WIPType, WhCode, Qty, OpComponentId) select ?1, c.SortSeq, c.OpSeq, c.ComponentId, "
        "p.InvCode, c.BaseQtyN, c.BaseQtyD, c.CompScrap, c.FVFlag, c.ByproductFlag, c.WIPType, c.WhCode, "
        "round(?2 * c.BaseQtyN / c.BaseQtyD, 6), c.OpComponentId from bom_opcomponent c join bas_part p on "
        "p.PartId = c.ComponentId where c.BomId = ?3 order by c.SortSeq");
    sqlite3_stmt* numbering = prepare("update sys_doccode set NextNumber = ?1 where DocType = 'MO21'");
    sqlite3_stmt* so = prepare("update so_sodetails set fMoQuantity = fMoQuantity + ?1 where isosid = ?2");
    sqlite3_stmt* begin = prepare("BEGIN IMMEDIATE");
    sqlite3_stmt* commit = prepare("COMMIT");

    struct Line {
      int order;
      int id;
      double qty;
      std::string item, free1, free2, due;
      bool has_free;
    };
    std::vector<Line> todo;
    while (sqlite3_step(lines) == SQLITE_ROW) {
      auto text = [&](int i) {
        const unsigned char* t = sqlite3_column_text(lines, i);
        return t ? std::string(reinterpret_cast<const char*>(t)) : std::string();
      };
      todo.push_back({sqlite3_column_int(lines, 0), sqlite3_column_int(lines, 2), sqlite3_column_double(lines, 3),
                      text(4), text(5), text(6), text(7), sqlite3_column_type(lines, 5) != SQLITE_NULL});
    }
    int last_order = 0;
    int number = 1;
    for (const Line& l : todo) {
      sqlite3_step(begin);
      sqlite3_reset(begin);
      if (l.order != last_order) {
        last_order = l.order;
        sqlite3_bind_int(token, 1, l.order);
        sqlite3_step(token);
        sqlite3_reset(token);
      }
      sqlite3_bind_text(part, 1, l.item.c_str(), -1, SQLITE_STATIC);
      sqlite3_bind_text(part, 2, l.free1.c_str(), -1, SQLITE_STATIC);
      sqlite3_bind_text(part, 3, l.free2.c_str(), -1, SQLITE_STATIC);
      sqlite3_step(part);
      const int part_id = sqlite3_column_int(part, 0);
      sqlite3_reset(part);
      sqlite3_bind_int(demand, 1, l.id);
      while (sqlite3_step(demand) == SQLITE_ROW) {
      }
      sqlite3_reset(demand);
      sqlite3_bind_int(bom, 1, part_id);
      sqlite3_step(bom);
      const int bom_id = sqlite3_column_int(bom, 0);
      sqlite3_reset(bom);
      char code[16];
      std::snprintf(code, sizeof code, "MO%06d", number++);
      sqlite3_bind_text(head, 1, code, -1, SQLITE_STATIC);
      Check(sqlite3_step(head), db, SQLITE_DONE);
      sqlite3_reset(head);
      const sqlite3_int64 mo_id = sqlite3_last_insert_rowid(db);
      sqlite3_bind_int64(detail, 1, mo_id);
      sqlite3_bind_int(detail, 2, part_id);
      sqlite3_bind_text(detail, 3, l.item.c_str(), -1, SQLITE_STATIC);
      sqlite3_bind_int(detail, 4, bom_id);
      sqlite3_bind_double(detail, 5, l.qty);
      sqlite3_bind_int(detail, 6, l.id);
      sqlite3_bind_text(detail, 7, l.due.c_str(), -1, SQLITE_STATIC);
      if (l.has_free) {
        sqlite3_bind_text(detail, 8, l.free1.c_str(), -1, SQLITE_STATIC);
        sqlite3_bind_text(detail, 9, l.free2.c_str(), -1, SQLITE_STATIC);
      } else {
        sqlite3_bind_null(detail, 8);
        sqlite3_bind_null(detail, 9);
      }
      Check(sqlite3_step(detail), db, SQLITE_DONE);
      sqlite3_reset(detail);
      const sqlite3_int64 mo_d_id = sqlite3_last_insert_rowid(db);
      sqlite3_bind_int64(allocate, 1, mo_d_id);
      sqlite3_bind_double(allocate, 2, l.qty);
      sqlite3_bind_int(allocate, 3, bom_id);
      Check(sqlite3_step(allocate), db, SQLITE_DONE);
      sqlite3_reset(allocate);
      sqlite3_bind_int(numbering, 1, number);
      sqlite3_step(numbering);
      sqlite3_reset(numbering);
      sqlite3_bind_double(so, 1, l.qty);
      sqlite3_bind_int(so, 2, l.id);
      sqlite3_step(so);
      sqlite3_reset(so);
      Check(sqlite3_step(commit), db, SQLITE_DONE);
      sqlite3_reset(commit);
    }
    for (sqlite3_stmt* s : {lines, token, part, demand, bom, head, detail, allocate, numbering, so, begin, commit})
      sqlite3_finalize(s);
    sqlite3_close(db);
    spent += std::chrono::steady_clock::now() - start;
    if (static_cast<int>(todo.size()) != mom_bench::kSalesLines) state.SkipWithError("unexpected number of lines");
  }
  mom_bench::ReportGenerationCounters(state, mom_bench::kSalesLines, spent);
}
BENCHMARK(PushMoFromSo_raw)->Name("PushMoFromSo/raw")->Unit(benchmark::kMillisecond);

}  // namespace
