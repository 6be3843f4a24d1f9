#pragma once
// What the benchmarks share: a private registry with the servers registered and a
// fresh sample database, made once per run.

#include <string>

namespace mom_bench {

// The sample database's path; the first call builds it.
const std::string& SampleDatabase();

}  // namespace mom_bench
