#include "bench/pg_benchmarks.h"

#include <cstdio>

#include "bench/pg_environment.h"

namespace mom_bench {

void RegisterPostgresBenchmarks() {
  const std::string server = PostgresServer();
  if (server.empty()) {
    std::printf("MOM_TEST_PG names no PostgreSQL server: the PostgreSQL benchmarks are not registered\n");
    return;
  }
  RegisterPgWritebackBenchmarks(server);
  RegisterPgMogenBenchmarks(server);
  RegisterPgExternalGrowthBenchmarks(server);
  RegisterPgAtoBenchmarks(server);
}

}  // namespace mom_bench
