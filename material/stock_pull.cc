#include "material/stock_pull.h"

#include <algorithm>
#include <cmath>
#include <string>

#include "platform/ado/recordset.h"
#include "platform/com/error.h"
#include "platform/com/variant.h"
#include "shared/login_connection.h"

namespace mom::material {

namespace {

// Double arithmetic that fails the way the runtime does instead of yielding inf or NaN.
double Divide(double a, double b) {
  if (b == 0) com::Raise(com::kErrDivisionByZero);
  double r = a / b;
  if (!std::isfinite(r)) com::Raise(com::kErrOverflow);
  return r;
}

double Multiply(double a, double b) {
  double r = a * b;
  if (!std::isfinite(r)) com::Raise(com::kErrOverflow);
  return r;
}

// A quantity that is not a number (or infinite) has no pull to convert; compared with
// the remainder it would quietly pick a branch and give a plausible result.
void CheckFinite(double quantity) {
  if (!std::isfinite(quantity)) com::Raise(com::kErrOverflow);
}

// Usage varies with the product quantity only for FVFlag 1; a Null flag compares as
// not equal, so it means fixed usage like any other value.
bool VariableUsage(const ado::Field& fv_flag) {
  com::Variant v = fv_flag.Value();
  return !v.is_null() && v.ToR8() == 1;
}

// Rounds to the accounting set's decimals, halfway values to the even digit. A negative
// setting is refused as the runtime's rounding refuses it.
double RoundQuantity(double v, int16_t decimals) {
  if (decimals < 0) com::Raise(com::kErrInvalidCall);
  double r = com::RoundHalfEven(v, decimals);
  return r == 0 ? 0.0 : r;  // no negative zero for the caller
}

// Qty - IssQty as the database's decimals give it: both columns are exact to their
// scale, so rounding the double difference to that scale removes the binary error
// (10.3 - 10.2 is 0.1, not 0.10000000000000142) before it is compared with the stock.
double Remainder(const ado::Field& qty, const ado::Field& iss_qty) {
  double r = qty.Value().ToR8() - iss_qty.Value().ToR8();
  if (qty.Type() == ado::adDecimal && iss_qty.Type() == ado::adDecimal) {
    int scale = std::max(qty.NumericScale(), iss_qty.NumericScale());
    if (scale <= 15 && std::fabs(r) < 1e12) r = com::RoundHalfEven(r, scale);
  }
  return r;
}

// The allocation's row, read on the connection that the caller of the operation keeps
// for the rest of the call.
com::Ptr<ado::Recordset> OpenAllocation(ConnectionRef& cn, const char* select, int32_t MoAllocateId) {
  com::Ptr<ado::Recordset> rs = ado::Recordset::Create();
  rs->SetCursorLocation(ado::adUseClient);
  rs->Open(std::string(select) + std::to_string(MoAllocateId), cn.get());
  return rs;
}

}  // namespace

bool STPullfromMORM(ObjectRef& ClsLogin, int32_t MoAllocateId, double PQty, double& CQty) {
  CheckFinite(PQty);
  ConnectionRef cn = OpenLoginConnection(ClsLogin);
  com::Ptr<ado::Recordset> rs = OpenAllocation(
      cn,
      "select a.FVFlag, a.Qty, InQty=b.Qty from mom_moallocate a, mom_orderdetail b where a.MoDId = b.MoDId and "
      "a.AllocateId = ",
      MoAllocateId);
  if (rs->RecordCount() < 1) return false;
  const int16_t decimals = GetQtyDecimals(cn);

  double c_qty = 0;
  if (VariableUsage((*rs)["FVFlag"]))
    c_qty = Multiply(Divide(PQty, (*rs)["Qty"].Value().ToR8()), (*rs)["InQty"].Value().ToR8());
  else
    c_qty = (*rs)["InQty"].Value().ToR8();  // fixed usage: any pull covers the whole line
  CQty = RoundQuantity(c_qty, decimals);
  return true;
}

bool STPullfromMORP(ObjectRef& ClsLogin, int32_t MoAllocateId, double SQty, double& PQty) {
  CheckFinite(SQty);
  ConnectionRef cn = OpenLoginConnection(ClsLogin);
  com::Ptr<ado::Recordset> rs = OpenAllocation(
      cn,
      "select a.FVFlag, a.Qty, a.BaseQtyD, a.BaseQtyN,a.IssQty, a.ParentScrap, a.CompScrap, InQty=b.Qty from "
      "mom_moallocate a, mom_orderdetail b where a.MoDId = b.MoDId and a.AllocateId = ",
      MoAllocateId);
  if (rs->RecordCount() < 1) return false;
  const int16_t decimals = GetQtyDecimals(cn);

  const double remainder = Remainder((*rs)["Qty"], (*rs)["IssQty"]);
  const bool stock_short = remainder > SQty;  // a tie is not short
  double p_qty = 0;
  if (VariableUsage((*rs)["FVFlag"])) {
    const double pulled = stock_short ? SQty : remainder;  // never more than is still needed
    // Strictly left to right: the usage ratio, then the two scrap factors.
    p_qty = Multiply(pulled, (*rs)["BaseQtyD"].Value().ToR8());
    p_qty = Divide(p_qty, (*rs)["BaseQtyN"].Value().ToR8());
    p_qty = Multiply(p_qty, 1 - Divide((*rs)["ParentScrap"].Value().ToR8(), 100));
    p_qty = Divide(p_qty, 1 + Divide((*rs)["CompScrap"].Value().ToR8(), 100));
  } else {
    // Fixed usage is needed once per line: either the stock covers it or it covers nothing.
    p_qty = stock_short ? 0 : (*rs)["InQty"].Value().ToR8();
  }
  PQty = RoundQuantity(p_qty, decimals);
  return true;
}

}  // namespace mom::material
