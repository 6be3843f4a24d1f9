#pragma once
// The counters every generation benchmark reports beside its time.

#include <benchmark/benchmark.h>

#include <chrono>

namespace mom_bench {

// Lines per second of wall-clock time spent generating (set-up excluded), and the
// process's peak resident memory so far.
void ReportGenerationCounters(benchmark::State& state, int lines_per_iteration,
                              std::chrono::steady_clock::duration spent);

}  // namespace mom_bench
