#include "bench/pg_raw_writebacks.h"

#include <cstdio>
#include <cstdlib>
#include <vector>

namespace mom_bench {

namespace {

constexpr int kRowChanged = 90001;
constexpr int kOrderClosed = 90004;
constexpr int kReceiptBelowZero = 90011;
constexpr int kClosedStatus = 4;

std::string NumberText(double value) {
  char text[32];
  std::snprintf(text, sizeof text, "%.17g", value);
  return text;
}

std::string RightTrimmed(const std::string& text) {
  const size_t end = text.find_last_not_of(' ');
  return end == std::string::npos ? std::string() : text.substr(0, end + 1);
}

// Commits when the write-back was done, rolls back when it was refused or failed.
int InTransaction(PgSession& session, auto&& work) {
  session.Execute("BEGIN");
  try {
    const int code = work();
    session.Execute(code == 0 ? "COMMIT" : "ROLLBACK");
    return code;
  } catch (...) {
    session.Execute("ROLLBACK");
    throw;
  }
}

}  // namespace

std::string PgRowToken(long long row_version) {
  char text[48];
  const long long whole = row_version / 10000, fraction = std::llabs(row_version % 10000);
  std::snprintf(text, sizeof text, "%s%lld.%04lld", row_version < 0 && whole == 0 ? "-" : "", whole, fraction);
  return text;
}

bool PgTokenMatches(const std::string& token, long long row_version) {
  const std::string trimmed = RightTrimmed(token);
  return trimmed.empty() || trimmed == PgRowToken(row_version);
}

PgRawRoutingWriteBack::PgRawRoutingWriteBack(PgSession& session) : session_(session) {
  session_.Prepare("routing_lock",
                   "select r.Krts, d.Status from sfc_moroutingdetail r "
                   "left join sfc_morouting m on m.MoRoutingId = r.MoRoutingId "
                   "left join mom_orderdetail d on d.MoDId = m.MoDId "
                   "where r.MoRoutingDId = $1 for update of r");
  session_.Prepare("routing_finish",
                   "update sfc_moroutingdetail set QualifiedQty = round(QualifiedQty + $1::numeric, 6), "
                   "CompleteQty = round(CompleteQty + $1::numeric, 6) where MoRoutingDId = $2");
}

int PgRawRoutingWriteBack::Run(int routing_line_id, double qty, const std::string& token) {
  const std::string qty_text = NumberText(qty);
  return InTransaction(session_, [&] { return RunInTransaction(routing_line_id, qty_text.c_str(), token); });
}

int PgRawRoutingWriteBack::RunInTransaction(int routing_line_id, const char* qty, const std::string& token) {
  const std::string id = std::to_string(routing_line_id);
  PgResult line = session_.Run("routing_lock", {id.c_str()});
  if (PQntuples(line.get()) == 0 || !PgTokenMatches(token, std::atoll(PQgetvalue(line.get(), 0, 0))))
    return kRowChanged;
  if (PgText(line, 0, 1) && PgInt(line, 0, 1) == kClosedStatus) return kOrderClosed;
  session_.Run("routing_finish", {qty, id.c_str()});
  return 0;
}

PgRawReceiptWriteBack::PgRawReceiptWriteBack(PgSession& session) : session_(session), routing_(session) {
  session_.Prepare("receipt_shop_floor", "select SfcFlag from mom_orderdetail where MoDId = $1");
  session_.Prepare("receipt_last_operations",
                   "select b.MoRoutingDId, b.Krts from sfc_morouting a, sfc_moroutingdetail b "
                   "where a.MoRoutingId = b.MoRoutingId and b.LastFlag and a.MoDId = $1");
  session_.Prepare("receipt_lock",
                   "select QualifiedInQty, Status, Krts from mom_orderdetail where MoDId = $1 for update");
  session_.Prepare("receipt_add",
                   "update mom_orderdetail set QualifiedInQty = round(QualifiedInQty + $1::numeric, 6) "
                   "where MoDId = $2");
}

int PgRawReceiptWriteBack::Run(int order_line_id, double qty, const std::string& token) {
  const std::string id = std::to_string(order_line_id), qty_text = NumberText(qty);
  return InTransaction(session_, [&] {
    PgResult flag = session_.Run("receipt_shop_floor", {id.c_str()});
    const bool shop_floor = PQntuples(flag.get()) == 1 && PgText(flag, 0, 0) && PgText(flag, 0, 0)[0] == 't';
    if (!shop_floor) return Receive(id.c_str(), qty_text.c_str(), token);
    PgResult last = session_.Run("receipt_last_operations", {id.c_str()});
    if (PQntuples(last.get()) == 0) return kRowChanged;
    for (int row = 0; row < PQntuples(last.get()); ++row) {
      // The routing line's token is the version just read, so only a change since
      // then refuses it.
      const std::string routing_token = PgRowToken(std::atoll(PQgetvalue(last.get(), row, 1)));
      if (int code = routing_.RunInTransaction(PgInt(last, row, 0), qty_text.c_str(), routing_token)) return code;
      if (int code = Receive(id.c_str(), qty_text.c_str(), token)) return code;
    }
    return 0;
  });
}

int PgRawReceiptWriteBack::Receive(const char* line_id, const char* qty, const std::string& token) {
  PgResult line = session_.Run("receipt_lock", {line_id});
  if (PQntuples(line.get()) == 0 || !PgTokenMatches(token, std::atoll(PQgetvalue(line.get(), 0, 2))))
    return kRowChanged;
  if (PgInt(line, 0, 1) == kClosedStatus) return kOrderClosed;
  if (PgNumber(line, 0, 0) + std::strtod(qty, nullptr) < -0.0000005) return kReceiptBelowZero;
  session_.Run("receipt_add", {qty, line_id});
  return 0;
}

}  // namespace mom_bench
