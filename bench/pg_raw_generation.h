#pragma once
// MO generation done by hand through libpq: for every open sales line of the
// benchmark's orders, in a transaction of its own, the reads and writes the generation
// makes (the order's token once per order, the part, the line's net demand, the code
// check and the valid bill, the order and its line, the allocations, the numbering and
// the sales line's MO quantity).

#include "bench/pg_raw.h"

namespace mom_bench {

// Generates MOs MO000001.. for the lines of the orders from kFirstSalesOrderId on;
// returns the number of lines generated. Raises kErrPostgresRefused.
int PgRawGenerateFromSalesOrders(PgSession& session);

}  // namespace mom_bench
