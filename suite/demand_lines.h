#pragma once
// The demand-line recordsets that the sales and external-order modules hand to MO
// generation: one row per open line still waiting for MOs, with the fields
// id, Krts (the order's token), isosid, iquantity (ordered less what has MOs),
// cfree1..10, cinvCode, dPreMoDate, icusbomid, cmemo, igrouptype, inum,
// iinvexchrate, cSOCode, iRowNO. Client-side and sortable.

#include <string>
#include <vector>

#include "platform/ado/connection.h"
#include "platform/ado/recordset.h"

namespace suite {

// Lines of the named sales orders (cSOCode), or of every open order when none is named.
com::Ptr<ado::Recordset> SalesDemandLines(ado::Connection* conn, const std::vector<std::string>& order_codes);
// Lines of the named external orders (cCode) without an MO, or of all of them.
com::Ptr<ado::Recordset> ExternalDemandLines(ado::Connection* conn, const std::vector<std::string>& order_codes);

}  // namespace suite
