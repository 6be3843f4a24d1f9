// Runs the service benchmarks (serve_bench.cc) and prints, for each way through HTTP,
// its p50 and p99 latency as a ratio of the same call in-process measured in the same
// run:
//   ratio serve/MoRoutingWrB/http p50: http / in-process = 1.8 (412 us / 229 us)

#include <benchmark/benchmark.h>

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
          latencies_[run.benchmark_name()][counter] = it->second.value;
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
        if (a == values.end() || b == base->second.end() || b->second <= 0) continue;
        std::printf("ratio %s %.3s: %s / in-process = %.2f (%.0f us / %.0f us)\n", name.c_str(), counter,
                    name.substr(slash + 1).c_str(), a->second / b->second, a->second, b->second);
      }
    }
  }

 private:
  std::map<std::string, std::map<std::string, double>> latencies_;
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
