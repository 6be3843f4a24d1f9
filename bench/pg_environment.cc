#include "bench/pg_environment.h"

#include <cstdlib>

#include "bench/pg_raw.h"
#include "bench/sales_order_set.h"
#include "database/manufacturing_db.h"

namespace mom_bench {

std::string PostgresServer() {
  const char* server = std::getenv("MOM_TEST_PG");
  return server ? server : "";
}

std::string FreshPgDatabase(const std::string& server, const std::string& name) {
  const std::string connection_string = server + ";Database=" + name;
  database::CreateDatabase(connection_string, /*with_sample=*/true, /*overwrite=*/true);
  return connection_string;
}

const std::string& PgBenchDatabase::connection_string() {
  if (connection_string_.empty()) connection_string_ = FreshPgDatabase(server_, name_);
  return connection_string_;
}

void PgLoadSalesOrders(const std::string& connection_string, int orders) {
  PgSession s(connection_string);
  s.Prepare("order", "insert into so_somain (id, cSOCode, dDate) values ($1, $2, $3)");
  s.Prepare("line",
            "insert into so_sodetails (isosid, id, iRowNo, cInvCode, iQuantity, cFree1, cFree2, dPreMoDate) "
            "values ($1, $2, $3, $4, $5, $6, $7, $8)");
  s.Execute("BEGIN");
  for (int o = 0; o < orders; ++o) {
    const std::string id = std::to_string(SalesOrderId(o)), code = SalesOrderCode(o);
    s.Run("order", {id.c_str(), code.c_str(), kSalesOrderDate});
    for (int l = 0; l < kLinesPerSalesOrder; ++l) {
      const SalesOrderLine line = SalesOrderLineAt(o, l);
      const std::string line_id = std::to_string(line.line_id), row_no = std::to_string(line.row_no),
                        qty = std::to_string(line.qty);
      s.Run("line", {line_id.c_str(), id.c_str(), row_no.c_str(), line.item, qty.c_str(), line.free1, line.free2,
                     kSalesLineDueDate});
    }
  }
  s.Execute("COMMIT");
}

}  // namespace mom_bench
