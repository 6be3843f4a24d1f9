// The engineering-change window filling its line grid with 40,000 lines of one head:
// the user clicks the head, the server reads the lines, the dialog loads them and the
// grid shows them (offscreen). The raw baseline reads the same lines through sqlite3
// and builds the same row texts. Reported with each run: the heap that the lines keep
// (bytes per line, the dialog still open) and the time of one fill.
//
//   mom_bench --benchmark_filter=EcnLineFill

#include <benchmark/benchmark.h>
#include <malloc.h>
#include <sqlite3.h>

#include <QApplication>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "bench/bench_environment.h"
#include "ecn/ecn_apply_change_ref_dialog.h"
#include "ecn/ecn_apply_change_ref_form.h"
#include "platform/ado/connection.h"
#include "platform/ado/connection_string.h"
#include "platform/com/creation.h"
#include "platform/com/late_binding.h"
#include "suite/qt_host.h"

namespace {

constexpr int kLines = 40000;
constexpr int32_t kApplyId = 7003;  // the third head, ECN0003
constexpr int kHeadRow = 3;

void Check(int rc, sqlite3* db, int expected = SQLITE_OK) {
  if (rc != expected) throw std::runtime_error(sqlite3_errmsg(db));
}

// The sample database with 40,000 more lines under ECN0003, made once.
const std::string& LinesDatabase() {
  static const std::string path = [] {
    const std::string& sample = mom_bench::SampleDatabase();
    std::string p = std::filesystem::path(sample).parent_path() / "ecn_lines.db";
    std::filesystem::copy_file(sample, p, std::filesystem::copy_options::overwrite_existing);
    sqlite3* db = nullptr;
    sqlite3_open(p.c_str(), &db);
    Check(sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr), db);
    sqlite3_stmt* line = nullptr;
    sqlite3_prepare_v2(db,
                       "insert into ecn_ecnapplydetail (ApplyDId, ApplyId, SortSeq, EcnType, NewFlag, Version, "
                       "VersionDesc, VersionEffDate, IdentCode, IdentDesc, InvCode, Free1) "
                       "values (?1, ?2, ?3, 2, '0', '10', '标准版', '2024-03-10 00:00:00', 'BOM-FG003', "
                       "'定制电动自行车物料清单', 'FG003', ?4)",
                       -1, &line, nullptr);
    for (int k = 0; k < kLines; ++k) {
      sqlite3_bind_int(line, 1, 200000 + k);
      sqlite3_bind_int(line, 2, kApplyId);
      sqlite3_bind_int(line, 3, 10 + k);
      std::string free1 = "批次" + std::to_string(k);
      sqlite3_bind_text(line, 4, free1.c_str(), -1, SQLITE_TRANSIENT);
      Check(sqlite3_step(line), db, SQLITE_DONE);
      sqlite3_reset(line);
    }
    sqlite3_finalize(line);
    Check(sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr), db);
    sqlite3_close(db);
    return p;
  }();
  return path;
}

void EnsureOffscreenApplication() {
  if (QCoreApplication::instance()) return;
  static int argc = 3;
  static char name[] = "mom_ecn_bench", option[] = "-platform", platform[] = "offscreen";
  static char* argv[] = {name, option, platform, nullptr};
  new QApplication(argc, argv);
  suite::InstallQtChineseTranslation();
}

size_t HeapInUse() { return mallinfo2().uordblks; }

void EcnLineFill_component(benchmark::State& state) {
  const std::string connection_string = ado::ConnectionString::ForSqliteFile(LinesDatabase());
  EnsureOffscreenApplication();
  com::Ptr<ado::Connection> cn = ado::Connection::Create();
  cn->Open(connection_string);
  com::Ptr<com::IDispatch> login = com::CreateObject("MomSuite.Login");
  com::PutProperty(login.get(), "KrDbName", com::Variant(connection_string));
  double bytes_per_line = 0;
  for (auto _ : state) {
    state.PauseTiming();
    auto dictionary = com::MakeObject<mom::ecn::ExchangeDictionary>();
    dictionary->Add("EcnType", com::Variant(int16_t{0}));
    dictionary->Add("Conn", com::Variant(com::Ptr<com::IUnknown>(static_cast<com::IUnknown*>(cn.get()))));
    dictionary->Add("Login", com::Variant(login));
    auto form = std::make_unique<mom::ecn::frmEcnApplyChangeRef>();
    form->SetData(dictionary);
    auto dialog = std::make_unique<mom::ecn::EcnApplyChangeRefDialog>(*form);
    form->Load();
    dialog->show();
    form->cmdFilter_Click();
    QCoreApplication::processEvents();
    if (form->GridRows(mom::ecn::Grid::grdHead) != 4) {
      state.SkipWithError("the filter found no heads");
      break;
    }
    size_t heap_before = HeapInUse();
    state.ResumeTiming();

    form->GridRowChosen(mom::ecn::Grid::grdHead, kHeadRow);
    QCoreApplication::processEvents();  // the grid paints what it has

    state.PauseTiming();
    if (form->GridRows(mom::ecn::Grid::grdBody) != kLines + 4) {
      state.SkipWithError("the lines did not all arrive");
      break;
    }
    bytes_per_line = (static_cast<double>(HeapInUse()) - static_cast<double>(heap_before)) / kLines;
    dialog.reset();
    form.reset();
    state.ResumeTiming();
  }
  state.counters["bytes_per_line"] = bytes_per_line;
  state.counters["lines"] = kLines;
}

// The same lines read with sqlite3 into the texts of the grid's rows.
void EcnLineFill_raw(benchmark::State& state) {
  const std::string& path = LinesDatabase();
  for (auto _ : state) {
    sqlite3* db = nullptr;
    sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READONLY, nullptr);
    sqlite3_stmt* select = nullptr;
    sqlite3_prepare_v2(db,
                       "select d.SortSeq, d.NewFlag, d.Version, d.VersionDesc, d.VersionEffDate, d.IdentCode, "
                       "d.IdentDesc, d.InvCode, i.cInvName, i.cInvStd, d.Free1, d.Free2, d.Free3, d.Free4, d.Free5, "
                       "d.Free6, d.Free7, d.Free8, d.Free9, d.Free10 from ecn_ecnapplydetail d left join Inventory i "
                       "on i.cInvCode = d.InvCode where d.ApplyId = ?1 order by d.SortSeq",
                       -1, &select, nullptr);
    sqlite3_bind_int(select, 1, kApplyId);
    std::vector<std::string> rows;
    while (sqlite3_step(select) == SQLITE_ROW) {
      std::string row;
      for (int c = 0; c < 20; ++c) {
        if (c) row += '\t';
        if (const unsigned char* text = sqlite3_column_text(select, c)) row += reinterpret_cast<const char*>(text);
      }
      rows.push_back(std::move(row));
    }
    sqlite3_finalize(select);
    sqlite3_close(db);
    benchmark::DoNotOptimize(rows.data());
    if (rows.size() != kLines + 3u) state.SkipWithError("the raw read found other lines");
  }
}

BENCHMARK(EcnLineFill_component)->Name("EcnLineFill/component")->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(EcnLineFill_raw)->Name("EcnLineFill/raw")->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace
