// Runs the benchmarks and prints, for each pair, the ratio of the component's time to
// the raw baseline's measured in the same run. Pairs are named "X/component" and
// "X/raw". The PostgreSQL pairs join when MOM_TEST_PG names a server.

#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>
#include <string>

#include "bench/pg_benchmarks.h"

namespace {

class RatioReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    for (const Run& run : runs)
      // A benchmark that failed measured nothing: its pair gets no ratio.
      if (run.run_type == Run::RT_Iteration && !run.error_occurred)
        times_[run.benchmark_name()] = run.GetAdjustedRealTime();
    ConsoleReporter::ReportRuns(runs);
  }
  void PrintRatios() const {
    for (const auto& [name, time] : times_) {
      auto slash = name.rfind("/component");
      if (slash == std::string::npos) continue;
      auto raw = times_.find(name.substr(0, slash) + "/raw");
      if (raw == times_.end() || raw->second <= 0) continue;
      std::printf("ratio %s: component / raw = %.2f\n", name.substr(0, slash).c_str(), time / raw->second);
    }
  }

 private:
  std::map<std::string, double> times_;
};

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  mom_bench::RegisterPostgresBenchmarks();
  RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  reporter.PrintRatios();
  benchmark::Shutdown();
  return 0;
}
