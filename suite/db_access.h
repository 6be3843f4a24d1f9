#pragma once
// Small helpers of the suite's servers for statements with "?" markers on a
// connection that a caller handed them (so their work joins the caller's transaction).

#include <cstdint>
#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/ado/connection.h"
#include "platform/ado/recordset.h"
#include "platform/com/variant.h"

namespace suite {

// Rows of a query, on the client.
com::Ptr<ado::Recordset> QueryRows(ado::Connection* conn, std::string_view sql,
                                   std::initializer_list<com::Variant> params = {});
// Runs a statement; the number of rows it changed.
int64_t ExecuteSql(ado::Connection* conn, std::string_view sql, std::initializer_list<com::Variant> params = {});
// The connection held in a server's argument; raises 424 when there is none.
com::Ptr<ado::Connection> ConnectionArg(const com::Variant& arg);
// Wraps a connection for a late-bound argument.
com::Variant ConnectionValue(const com::Ptr<ado::Connection>& conn);

// The part of an item with its ten free-item values: an empty value matches a part
// whose value is NULL or empty. The lowest PartId wins when several match.
std::optional<int32_t> FindPartId(ado::Connection* conn, const std::string& inv_code,
                                  const std::vector<std::string>& frees);

}  // namespace suite
