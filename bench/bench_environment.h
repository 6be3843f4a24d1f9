#pragma once
// What the benchmarks share: a private registry with the servers registered and a
// fresh sample database, made once per run.

#include <string>

namespace mom_bench {

// How many times each pair's sides run: the table compares their medians.
inline constexpr int kRepetitions = 5;

// Registers the component and suite servers in the run's private registry, once.
void RegisterServers();

// The sample database's path; the first call builds it (and registers the servers).
const std::string& SampleDatabase();

}  // namespace mom_bench
