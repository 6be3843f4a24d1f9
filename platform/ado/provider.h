#pragma once
// What a back end supplies: sessions that run statements and stored procedures and
// yield rows one at a time. The shared layer above keeps rows on the client and does
// moving, sorting, editing and disconnected sets once for every provider.
//
// Providers register themselves by name (the connection string's Provider= key), each
// from its own folder: platform/ado/<provider>/registration.cc registers the provider
// when the data layer's library is loaded. The shared layer knows none of them. The
// library is a shared one, so no registration is dropped by the linker as an object
// that nothing refers to would be from a static archive; a provider built into
// another library registers the same way or calls RegisterProvider itself.

#include <functional>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "platform/ado/connection_string.h"
#include "platform/ado/types.h"
#include "platform/com/variant.h"

namespace ado {

struct ColumnInfo {
  std::string name;
  DataType type = adVariant;
  int32_t size = 0;  // characters for text, 0 otherwise
  uint8_t precision = 0;
  uint8_t scale = 0;
  bool nullable = true;
};

// Rows of one result, in order. Values are already of the column's type.
class RowSource {
 public:
  virtual ~RowSource() = default;
  virtual const std::vector<ColumnInfo>& columns() const = 0;
  // Fills `row` with the next row; false at the end.
  virtual bool Next(std::vector<com::Variant>& row) = 0;
};

// A parameter as the provider sees it; the value is already converted to `type`.
struct BoundParameter {
  std::string name;
  DataType type = adVariant;
  ParameterDirection direction = adParamInput;
  int32_t size = 0;
  uint8_t precision = 0;
  uint8_t scale = 0;
  com::Variant value;
};

struct ExecuteResult {
  std::unique_ptr<RowSource> rows;  // null when the statement yields none
  int64_t records_affected = -1;
};

class Session {
 public:
  virtual ~Session() = default;
  // Transactions; Begin takes the write lock at once where the back end has one, so
  // that two writers wait for each other instead of failing.
  virtual void Begin() = 0;
  virtual void Commit() = 0;
  virtual void Rollback() = 0;
  virtual bool InTransaction() const = 0;
  // Runs statement text in the component's dialect with positional ("?") parameters.
  // `timeout_s` 0 means no limit.
  virtual ExecuteResult ExecuteText(std::string_view sql, std::span<const BoundParameter> params,
                                    int32_t timeout_s, bool want_rows) = 0;
  // Runs a stored procedure with parameters bound by position. The return-value
  // parameter, if any, is the first; the provider stores the return value and any
  // output values in `params`.
  virtual ExecuteResult CallProcedure(std::string_view name, std::span<BoundParameter> params,
                                      int32_t timeout_s) = 0;
};

using SessionFactory =
    std::function<std::unique_ptr<Session>(const ConnectionString& cs, int32_t connection_timeout_s)>;

// Registers a provider under a name, matched without regard to case.
void RegisterProvider(std::string name, SessionFactory factory);
// Opens a session with the provider the connection string names (SQLite when it names
// none). Raises kErrProviderNotFound for an unknown provider.
std::unique_ptr<Session> OpenSession(const ConnectionString& cs, int32_t connection_timeout_s);

}  // namespace ado
