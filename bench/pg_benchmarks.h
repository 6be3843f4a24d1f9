#pragma once
// The PostgreSQL pairs ("pg/X/component" against "pg/X/raw", "pg/X/ato" against
// "pg/X/plain"), registered at run time because they need a server.

#include <benchmark/benchmark.h>

#include <exception>
#include <string>

namespace mom_bench {

// Registers every PostgreSQL pair when MOM_TEST_PG names a server; otherwise prints a
// line saying they are left out.
void RegisterPostgresBenchmarks();

// Runs a benchmark's body; an error it raises (a refused statement, a server gone)
// becomes the benchmark's error instead of ending the run.
template <typename Body>
void RunReportingErrors(benchmark::State& state, Body&& body) {
  try {
    body();
  } catch (const std::exception& e) {
    state.SkipWithError(e.what());
  }
}

void RegisterPgWritebackBenchmarks(const std::string& server);
void RegisterPgMogenBenchmarks(const std::string& server);
void RegisterPgExternalGrowthBenchmarks(const std::string& server);
void RegisterPgAtoBenchmarks(const std::string& server);

}  // namespace mom_bench
