#include "platform/ado/postgres/pg_result.h"

#include <charconv>
#include <utility>
#include <vector>

#include "platform/ado/postgres/pg_values.h"

namespace ado::postgres {

std::string TrimMessage(std::string_view text) {
  while (!text.empty() && (text.back() == '\n' || text.back() == ' ')) text.remove_suffix(1);
  return std::string(text);
}

Failure FailureOf(const PGresult* r, PGconn* conn) {
  Failure f;
  auto field = [r](int code) {
    const char* v = r ? PQresultErrorField(r, code) : nullptr;
    return std::string(v ? v : "");
  };
  f.sqlstate = field(PG_DIAG_SQLSTATE);
  f.message = field(PG_DIAG_MESSAGE_PRIMARY);
  f.context = field(PG_DIAG_CONTEXT);
  if (f.message.empty()) f.message = TrimMessage(r ? PQresultErrorMessage(r) : "");
  if (f.message.empty()) f.message = TrimMessage(PQerrorMessage(conn));
  if (f.message.empty()) f.message = "The PostgreSQL server reported an error without a message.";
  return f;
}

std::unique_ptr<MaterializedRows> Materialize(const PGresult* r) {
  int ncols = PQnfields(r), nrows = PQntuples(r);
  std::vector<ColumnInfo> columns;
  std::vector<unsigned> oids;
  columns.reserve(static_cast<size_t>(ncols));
  for (int c = 0; c < ncols; ++c) {
    oids.push_back(PQftype(r, c));
    columns.push_back(DescribeColumn(PQfname(r, c), oids.back(), PQfmod(r, c)));
  }
  std::vector<std::vector<com::Variant>> rows;
  rows.reserve(static_cast<size_t>(nrows));
  for (int k = 0; k < nrows; ++k) {
    std::vector<com::Variant> row;
    row.reserve(static_cast<size_t>(ncols));
    for (int c = 0; c < ncols; ++c) {
      if (PQgetisnull(r, k, c)) {
        row.push_back(com::Variant::Null());
        continue;
      }
      std::string_view text(PQgetvalue(r, k, c), static_cast<size_t>(PQgetlength(r, k, c)));
      row.push_back(ReadValue(text, oids[static_cast<size_t>(c)], columns[static_cast<size_t>(c)]));
    }
    rows.push_back(std::move(row));
  }
  return std::make_unique<MaterializedRows>(std::move(columns), std::move(rows));
}

void Absorb(const PGresult* r, bool keep_rows, Outcome& out) {
  ExecStatusType status = PQresultStatus(r);
  if (status == PGRES_TUPLES_OK) {
    if (keep_rows && !out.rows) out.rows = Materialize(r);
    return;
  }
  if (status != PGRES_COMMAND_OK) return;
  std::string_view command = PQcmdStatus(const_cast<PGresult*>(r));
  static constexpr std::string_view kQuiet[] = {"BEGIN", "COMMIT", "ROLLBACK", "SAVEPOINT", "RELEASE",
                                                "SET",   "SHOW",   "DEALLOCATE", "FETCH", "CLOSE CURSOR"};
  for (std::string_view q : kQuiet)
    if (command.substr(0, q.size()) == q) return;
  out.wrote = true;
  std::string_view tuples = PQcmdTuples(const_cast<PGresult*>(r));
  int64_t n = 0;
  std::from_chars(tuples.data(), tuples.data() + tuples.size(), n);
  out.affected += n;
}

}  // namespace ado::postgres
