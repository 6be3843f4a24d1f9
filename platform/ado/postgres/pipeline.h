#pragma once
// One round trip in libpq's pipeline mode: several queries sent at once, their results
// read back in order up to the sync point.

#include <libpq-fe.h>

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/ado/postgres/pg_result.h"

namespace ado::postgres {

// One query of a pipeline.
struct PipeItem {
  enum Kind { kText, kPrepare, kPrepared } kind = kText;
  std::string sql;   // text (kText, kPrepare)
  std::string name;  // statement name (kPrepare, kPrepared)
  const std::vector<const char*>* values = nullptr;
  const std::vector<::Oid>* types = nullptr;  // kText only; null: all untyped
  std::function<void(const PGresult*)> sink;  // results of a successful query
};

// Sends `items` in one pipeline and reads all their results. Returns the index of the
// first query that failed (its failure in *failure), or -1. When the connection can no
// longer be trusted, *lost holds the message to raise (empty: libpq's own).
int RunPipeline(PGconn* conn, std::vector<PipeItem>& items, Failure* failure, std::optional<std::string>* lost);

}  // namespace ado::postgres
