// Runs the benchmarks and prints, for each pair, the ratio of the measured time to the
// baseline's measured in the same run. Pairs are named "X/component" and "X/raw" (the
// component against raw libpq or SQLite), or "X/ato" and "X/plain" (lines with net
// demand to credit against lines without), or "X/journal" and "X/unjournalled" (the same
// calls with the quantity journal and without it). The PostgreSQL pairs join when MOM_TEST_PG names a server. On a busy machine
// run with --benchmark_repetitions=N --benchmark_enable_random_interleaving=true: the
// ratio then compares the medians of the repetitions. Pairs named "X/1k" and "X/10k"
// get the ratio of their times, which shows how X grows with its work.

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "bench/pg_benchmarks.h"

namespace {

class RatioReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    for (const Run& run : runs) {
      // A benchmark that failed measured nothing: its pair gets no ratio.
      if (run.error_occurred) continue;
      if (run.run_type == Run::RT_Iteration)
        times_[PairName(run)].push_back(run.GetAdjustedRealTime());
      else if (run.aggregate_name == "median")  // what is left with --benchmark_report_aggregates_only
        medians_[PairName(run)] = run.GetAdjustedRealTime();
    }
    ConsoleReporter::ReportRuns(runs);
  }
  void PrintRatios() const {
    static constexpr std::pair<const char*, const char*> kPairs[] = {
        {"component", "raw"}, {"ato", "plain"}, {"journal", "unjournalled"}};
    const std::map<std::string, double> medians = Medians();
    for (const auto& [measured, baseline] : kPairs) {
      const std::string suffix = std::string("/") + measured;
      for (const auto& [name, time] : medians) {
        if (name.size() <= suffix.size() || name.compare(name.size() - suffix.size(), suffix.size(), suffix) != 0)
          continue;
        const std::string pair = name.substr(0, name.size() - suffix.size());
        auto base = medians.find(pair + "/" + baseline);
        if (base == medians.end() || base->second <= 0) continue;
        std::printf("ratio %s: %s / %s = %.2f\n", pair.c_str(), measured, baseline, time / base->second);
      }
    }
    // Growth pairs "X/1k" and "X/10k": ten times the work, so 10 when X is linear.
    for (const auto& [name, time] : medians) {
      auto slash = name.rfind("/10k");
      if (slash == std::string::npos || slash + 4 != name.size()) continue;
      auto small = medians.find(name.substr(0, slash) + "/1k");
      if (small == medians.end() || small->second <= 0) continue;
      std::printf("growth %s: 10k / 1k = %.2f\n", name.substr(0, slash).c_str(), time / small->second);
    }
  }

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

  std::map<std::string, double> Medians() const {
    std::map<std::string, double> medians = medians_;
    for (const auto& [name, times] : times_) medians.try_emplace(name, Median(times));
    return medians;
  }

  static double Median(std::vector<double> times) {
    std::sort(times.begin(), times.end());
    const size_t n = times.size();
    return n % 2 ? times[n / 2] : (times[n / 2 - 1] + times[n / 2]) / 2;
  }

  std::map<std::string, std::vector<double>> times_;  // one time per repetition
  std::map<std::string, double> medians_;
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
