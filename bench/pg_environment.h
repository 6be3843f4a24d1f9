#pragma once
// The PostgreSQL server the benchmarks run against, named by MOM_TEST_PG with its base
// connection string (Provider=PostgreSQL;Host=...;Port=...;User ID=...), and fresh
// databases on it.

#include <string>
#include <utility>

namespace mom_bench {

// MOM_TEST_PG, or empty when no server is named.
std::string PostgresServer();

// Creates database `name` on `server` afresh (schema, procedures, sample company),
// dropping one of that name first; returns its connection string.
std::string FreshPgDatabase(const std::string& server, const std::string& name);

// One benchmark's own database, made on first use: Google Benchmark calls a benchmark
// several times while it settles the iteration count, and every call must find the
// same database.
class PgBenchDatabase {
 public:
  PgBenchDatabase(std::string server, std::string name) : server_(std::move(server)), name_(std::move(name)) {}
  const std::string& connection_string();

 private:
  std::string server_, name_, connection_string_;
};

// Adds the benchmark's open sales orders (sales_order_set.h), the first `orders` of
// them, to the database.
void PgLoadSalesOrders(const std::string& connection_string, int orders);

}  // namespace mom_bench
