#include "platform/ado/postgres/pipeline.h"

namespace ado::postgres {

int RunPipeline(PGconn* conn, std::vector<PipeItem>& items, Failure* failure, std::optional<std::string>* lost) {
  if (!PQenterPipelineMode(conn)) {
    *lost = std::string();
    return -1;
  }
  bool sent = true;
  for (PipeItem& item : items) {
    int n = item.values ? static_cast<int>(item.values->size()) : 0;
    const char* const* values = item.values && n > 0 ? item.values->data() : nullptr;
    switch (item.kind) {
      case PipeItem::kText:
        sent = PQsendQueryParams(conn, item.sql.c_str(), n, item.types ? item.types->data() : nullptr, values,
                                 nullptr, nullptr, 0) == 1;
        break;
      case PipeItem::kPrepare:
        sent = PQsendPrepare(conn, item.name.c_str(), item.sql.c_str(), 0, nullptr) == 1;
        break;
      case PipeItem::kPrepared:
        sent = PQsendQueryPrepared(conn, item.name.c_str(), n, values, nullptr, nullptr, 0) == 1;
        break;
    }
    if (!sent) break;
  }
  if (sent) sent = PQpipelineSync(conn) == 1;
  if (!sent) {
    std::string message = TrimMessage(PQerrorMessage(conn));
    PQexitPipelineMode(conn);
    // Lost, or a pipeline that cannot be trusted any more: left to the server's end.
    *lost = message;
    return -1;
  }

  int failed = -1;
  for (size_t k = 0; k < items.size() && PQstatus(conn) != CONNECTION_BAD; ++k) {
    while (PGresult* r = PQgetResult(conn)) {
      ResultPtr result(r);
      ExecStatusType status = PQresultStatus(r);
      if (status == PGRES_FATAL_ERROR || status == PGRES_BAD_RESPONSE) {
        if (failed < 0) {
          failed = static_cast<int>(k);
          *failure = FailureOf(r, conn);
        }
      } else if (status != PGRES_PIPELINE_ABORTED && failed < 0 && items[k].sink) {
        items[k].sink(r);
      }
      if (PQstatus(conn) == CONNECTION_BAD) break;
    }
  }
  // The sync point.
  for (int nulls = 0; PQstatus(conn) != CONNECTION_BAD;) {
    PGresult* r = PQgetResult(conn);
    if (!r) {
      if (++nulls > 3) {
        PQexitPipelineMode(conn);
        *lost = "The PostgreSQL server's replies were out of step with the requests.";
        return failed;
      }
      continue;
    }
    ExecStatusType status = PQresultStatus(r);
    PQclear(r);
    if (status == PGRES_PIPELINE_SYNC) break;
  }
  if (PQstatus(conn) == CONNECTION_BAD) {
    std::string message = failed >= 0 ? failure->message : std::string();
    PQexitPipelineMode(conn);
    *lost = message;
    return failed;
  }
  if (!PQexitPipelineMode(conn)) *lost = std::string();
  return failed;
}

}  // namespace ado::postgres
