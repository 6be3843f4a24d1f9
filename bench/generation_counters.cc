#include "bench/generation_counters.h"

#include <sys/resource.h>

namespace mom_bench {

void ReportGenerationCounters(benchmark::State& state, int lines_per_iteration,
                              std::chrono::steady_clock::duration spent) {
  const double seconds = std::chrono::duration<double>(spent).count();
  state.counters["lines/s"] =
      seconds > 0 ? static_cast<double>(lines_per_iteration) * static_cast<double>(state.iterations()) / seconds : 0;
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  state.counters["peak_rss_MB"] = static_cast<double>(usage.ru_maxrss) / 1024.0;
}

}  // namespace mom_bench
