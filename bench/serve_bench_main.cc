// Runs the service benchmarks (serve_bench.cc) and prints, for each way through HTTP,
// its p50 and p99 latency as a ratio of the same call in-process measured in the same
// run (the medians of the repetitions, with --benchmark_repetitions=N):
//   ratio serve/MoRoutingWrB/http p50: http / in-process = 1.8 (412 us / 229 us)

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

namespace mom_bench {
void RegisterServeBenchmarks();
}  // namespace mom_bench

namespace {

class LatencyRatioReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    for (const Run& run : runs) {
      if (run.error_occurred || run.run_type != Run::RT_Iteration) continue;
      for (const char* counter : {"p50_us", "p99_us"})
        if (auto it = run.counters.find(counter); it != run.counters.end())
          latencies_[run.benchmark_name()][counter].push_back(it->second.value);
    }
    ConsoleReporter::ReportRuns(runs);
  }

  void PrintRatios() const {
    for (const auto& [name, values] : latencies_) {
      size_t slash = name.rfind('/');
      if (name.substr(slash + 1) == "in-process") continue;
      auto base = latencies_.find(name.substr(0, slash) + "/in-process");
      if (base == latencies_.end()) continue;
      for (const char* counter : {"p50_us", "p99_us"}) {
        auto a = values.find(counter), b = base->second.find(counter);
        if (a == values.end() || b == base->second.end()) continue;
        const double http = Median(a->second), in_process = Median(b->second);
        if (in_process <= 0) continue;
        std::printf("ratio %s %.3s: %s / in-process = %.2f (%.0f us / %.0f us)\n", name.c_str(), counter,
                    name.substr(slash + 1).c_str(), http / in_process, http, in_process);
      }
    }
  }

 private:
  static double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v.size() % 2 ? v[v.size() / 2] : (v[v.size() / 2 - 1] + v[v.size() / 2]) / 2;
  }

  // One value per repetition: the ratio compares their medians.
  std::map<std::string, std::map<std::string, std::vector<double>>> latencies_;
};

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  mom_bench::RegisterServeBenchmarks();
  LatencyRatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  reporter.PrintRatios();
  benchmark::Shutdown();
  return 0;
}
