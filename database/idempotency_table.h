#pragma once
// The service's idempotency keys in the manufacturing database: the table
// sys_idempotency (idempotency_keys.sql, and its PostgreSQL twin), part of every new
// database and created by the service in an existing one that lacks it.

#include <cstdint>

#include "platform/ado/connection.h"

namespace database {

// Errors of EnsureIdempotencyTable, raised as com::Error (application range).
inline constexpr int32_t kErrNotManufacturingDatabase = static_cast<int32_t>(0x80040000u + 512 + 1011);
inline constexpr int32_t kErrIdempotencyTableShape = static_cast<int32_t>(0x80040000u + 512 + 1012);

// The columns of sys_idempotency, in order.
inline constexpr const char* kIdempotencyColumns[] = {"IdemKey",    "Operation", "Request",
                                                       "HttpStatus", "Answer",    "CreatedAt"};

// The table's DDL for the embedded database and for PostgreSQL; both can be run again.
const char* IdempotencyKeysSql();
const char* PostgresIdempotencyKeysSql();

// Creates sys_idempotency in the database of the open `connection` when it lacks it,
// and touches nothing else (on PostgreSQL it also records the columns' spellings in
// sys_identifier). Refuses, changing nothing: kErrNotManufacturingDatabase when the
// database holds no manufacturing tables, kErrIdempotencyTableShape when a table of
// that name has other columns. Runs in a transaction of its own.
void EnsureIdempotencyTable(ado::Connection& connection);

}  // namespace database
