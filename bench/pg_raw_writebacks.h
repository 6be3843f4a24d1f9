#pragma once
// The write-backs done by hand through libpq, with the statements the PostgreSQL
// procedures run (row lock, token check, update), each in a transaction of its own as
// a caller commits a write-back. Run returns the procedure's code: 0 done, 90001 the
// row changed or is missing, 90004 the order line is closed, 90011 a receipt below
// zero; a refused call is rolled back.

#include <string>

#include "bench/pg_raw.h"

namespace mom_bench {

// A row version as callers hold it: version / 10000 to four decimals ("2044" -> "0.2044").
std::string PgRowToken(long long row_version);
// Whether a caller's token matches a row version, as the procedures decide it: a blank
// token matches any version, otherwise it must equal PgRowToken, trailing blanks aside.
bool PgTokenMatches(const std::string& token, long long row_version);

// MoRoutingWrB: adds a finished quantity to a routing line (CompleteQty and
// QualifiedQty).
class PgRawRoutingWriteBack {
 public:
  explicit PgRawRoutingWriteBack(PgSession& session);
  int Run(int routing_line_id, double qty, const std::string& token = "");
  // The same without a transaction of its own, inside the caller's.
  int RunInTransaction(int routing_line_id, const char* qty, const std::string& token);

 private:
  PgSession& session_;
};

// MoQtyWrB for a product receipt: reads whether the order line is under shop-floor
// control and, if so, its last operations; each gets the routing write-back and the
// line the receipt. Other lines get the receipt alone.
class PgRawReceiptWriteBack {
 public:
  explicit PgRawReceiptWriteBack(PgSession& session);
  int Run(int order_line_id, double qty, const std::string& token = "");

 private:
  int Receive(const char* line_id, const char* qty, const std::string& token);

  PgSession& session_;
  PgRawRoutingWriteBack routing_;
};

}  // namespace mom_bench
