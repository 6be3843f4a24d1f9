#pragma once
// What the server answers to one statement: its rows and counts, or its failure.

#include <libpq-fe.h>

#include <memory>
#include <string>
#include <string_view>

#include "platform/ado/materialized_rows.h"

namespace ado::postgres {

struct ResultDeleter {
  void operator()(PGresult* r) const { PQclear(r); }
};
using ResultPtr = std::unique_ptr<PGresult, ResultDeleter>;

std::string TrimMessage(std::string_view text);

// A server's (or libpq's) verdict on one statement.
struct Failure {
  std::string sqlstate;
  std::string message;  // the primary message
  std::string context;
};

Failure FailureOf(const PGresult* r, PGconn* conn);

// What the statements of one call produced.
struct Outcome {
  std::unique_ptr<MaterializedRows> rows;
  bool wrote = false;
  int64_t affected = 0;
};

std::unique_ptr<MaterializedRows> Materialize(const PGresult* r);

// Takes one result of a statement into `out`: the first row result when `keep_rows`,
// the rows a write changed.
void Absorb(const PGresult* r, bool keep_rows, Outcome& out);

}  // namespace ado::postgres
