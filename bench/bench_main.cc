// Runs the benchmarks and ends with one table of every pair and every lines/s figure.
// Pairs are named "X/component" and "X/raw" (the component against raw libpq or
// SQLite), "X/ato" and "X/plain" (lines with net demand to credit against lines
// without), "X/journal" and "X/unjournalled" (the same calls with the quantity journal
// and without it), or "X/1k" and "X/10k" (how X grows with ten times the work). The
// PostgreSQL pairs ("pg/...") join when MOM_TEST_PG names a server.
//
// Each benchmark is repeated (see kRepetitions in the benchmarks): a ratio is the
// median of one side's repetitions over the median of the other's, and its spread is
// the middle half of the ratios of every repetition to every baseline repetition, so
// that a noisy run shows as a wide spread rather than a wrong figure. The console
// shows the aggregates of repeated benchmarks only; the table has the rest.

#include <benchmark/benchmark.h>

#include <cstdio>
#include <string>
#include <vector>

#include "bench/pg_benchmarks.h"
#include "bench/ratio_table.h"

namespace {

class TableReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    std::vector<Run> shown;
    for (const Run& run : runs) {
      // A benchmark that failed measured nothing: its pair gets no ratio.
      if (!run.error_occurred && run.run_type == Run::RT_Iteration) {
        auto lines = run.counters.find("lines/s");
        table_.Add(PairName(run), run.GetAdjustedRealTime(), benchmark::GetTimeUnitString(run.time_unit),
                   lines == run.counters.end() ? -1 : lines->second.value, run.GetAdjustedCPUTime());
      }
      if (run.run_type == Run::RT_Aggregate || run.repetitions <= 1 || run.error_occurred) shown.push_back(run);
    }
    if (!shown.empty()) ConsoleReporter::ReportRuns(shown);
  }
  void PrintTable() const { std::fputs(table_.Render().c_str(), stdout); }

 private:
  // The name without the run settings that the library appends ("/iterations:3",
  // "/repeats:5", "/min_time:..."): a pair's two sides match on what they measure.
  static std::string PairName(const Run& run) {
    benchmark::BenchmarkName name = run.run_name;
    name.min_time.clear();
    name.min_warmup_time.clear();
    name.iterations.clear();
    name.repetitions.clear();
    return name.str();
  }

  mom_bench::RatioTable table_;
};

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  mom_bench::RegisterPostgresBenchmarks();
  TableReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  reporter.PrintTable();
  benchmark::Shutdown();
  return 0;
}
