#pragma once
// Raw libpq for the PostgreSQL baselines: a session that owns its PGconn, results that
// own their PGresult, and prepared statements run with text parameters, as a
// hand-written client would use the server.

#include <libpq-fe.h>

#include <cstdint>
#include <initializer_list>
#include <memory>
#include <string>
#include <unordered_set>

namespace mom_bench {

// The server refused a statement or a connection (application range).
inline constexpr int32_t kErrPostgresRefused = static_cast<int32_t>(0x80040000u + 512 + 2001);

struct PgResultDeleter {
  void operator()(PGresult* result) const { PQclear(result); }
};
using PgResult = std::unique_ptr<PGresult, PgResultDeleter>;

// libpq's "key='value' ..." form of a data-layer connection string
// ("Provider=PostgreSQL;Host=...;Port=...;User ID=...;Password=...;Database=...").
std::string LibpqConnInfo(const std::string& connection_string);

class PgSession {
 public:
  // Connects with a data-layer connection string; raises kErrPostgresRefused.
  explicit PgSession(const std::string& connection_string);

  // A statement without parameters (BEGIN, COMMIT, DDL).
  void Execute(const char* sql);
  // Prepares once per session: a name already prepared keeps its statement, so the
  // baselines can be set up more than once on a session.
  void Prepare(const char* name, const char* sql);
  // Runs a prepared statement; a null parameter is SQL null. Raises
  // kErrPostgresRefused when the server reports an error.
  PgResult Run(const char* name, std::initializer_list<const char*> params);

 private:
  struct ConnectionDeleter {
    void operator()(PGconn* conn) const { PQfinish(conn); }
  };
  PgResult Check(PGresult* result, const char* what);

  std::unique_ptr<PGconn, ConnectionDeleter> conn_;
  std::unordered_set<std::string> prepared_;
};

// Reading results: the value at (row, column) as text, integer or number.
const char* PgText(const PgResult& result, int row, int column);
int PgInt(const PgResult& result, int row, int column);
double PgNumber(const PgResult& result, int row, int column);

}  // namespace mom_bench
