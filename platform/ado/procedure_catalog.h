#pragma once
// Stored procedures of a database, written in C++ by the database layer and run by a
// provider on the caller's connection, inside the caller's transaction.
//
// A procedure receives the values of its input parameters in binding order (without
// the return value) and returns the integer return value. Its statements are in the
// provider's own SQL. It may hand back one row result. An exception thrown by a
// procedure undoes what the procedure changed and reaches the caller as a provider
// error with the exception's text.

#include <functional>
#include <initializer_list>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "platform/ado/provider.h"
#include "platform/com/variant.h"

namespace ado {

struct QueryResult {
  std::vector<ColumnInfo> columns;
  std::vector<std::vector<com::Variant>> rows;
  // Column index by name without regard to case; -1 if absent.
  int Column(std::string_view name) const;
  bool empty() const { return rows.empty(); }
};

class ProcedureContext {
 public:
  virtual ~ProcedureContext() = default;
  virtual QueryResult Query(std::string_view sql, std::span<const com::Variant> params = {}) = 0;
  // Runs a statement and returns the number of rows it changed.
  virtual int64_t Exec(std::string_view sql, std::span<const com::Variant> params = {}) = 0;
  // The procedure's row result (the last one handed back wins).
  virtual void ReturnRows(QueryResult rows) = 0;

  QueryResult Query(std::string_view sql, std::initializer_list<com::Variant> params) {
    return Query(sql, std::span<const com::Variant>(params.begin(), params.size()));
  }
  int64_t Exec(std::string_view sql, std::initializer_list<com::Variant> params) {
    return Exec(sql, std::span<const com::Variant>(params.begin(), params.size()));
  }
};

using ProcedureBody = std::function<int32_t(ProcedureContext& db, std::span<const com::Variant> args)>;

// Registers procedure `name` (matched without regard to case) for provider `provider`.
void RegisterProcedure(std::string_view provider, std::string_view name, ProcedureBody body);
// The registered body, or null.
const ProcedureBody* FindProcedure(std::string_view provider, std::string_view name);

}  // namespace ado
