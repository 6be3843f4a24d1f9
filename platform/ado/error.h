#pragma once
// The data layer's error: an automation error (number and description, so that the
// component's traps see it like any other) that also carries the provider's native
// code (SQLite's extended result code), PostgreSQL's SQLSTATE and the SQL text that
// failed.

#include <string>

#include "platform/com/error.h"

namespace ado {

class Error : public com::Error {
 public:
  Error(int32_t number, std::string description, int native_code = 0, std::string sql = {},
        std::string sqlstate = {});
  ~Error() override;

  int native_code() const { return native_code_; }
  const std::string& sql() const { return sql_; }
  // The five characters PostgreSQL reports ("23505", "57014"); empty on SQLite and for
  // the data layer's own refusals.
  const std::string& sqlstate() const { return sqlstate_; }

 private:
  int native_code_;
  std::string sql_;
  std::string sqlstate_;
};

// Numbers the data layer raises with.
inline constexpr int32_t kErrProvider = static_cast<int32_t>(0x80004005u);     // provider / database error
inline constexpr int32_t kErrQueryTimeout = static_cast<int32_t>(0x80040E31u);  // "Query timeout expired"
inline constexpr int32_t kErrItemNotFound = 3265;    // no such field or parameter
inline constexpr int32_t kErrObjectClosed = 3704;    // operation not allowed when closed
inline constexpr int32_t kErrConnectionUnusable = 3709;
inline constexpr int32_t kErrBofOrEof = 3021;        // no current record
inline constexpr int32_t kErrArgumentsWrongType = 3001;
inline constexpr int32_t kErrParameterImproper = 3708;
inline constexpr int32_t kErrOperationNotAllowed = 3219;
inline constexpr int32_t kErrProviderNotFound = 3706;
inline constexpr int32_t kErrFieldValue = static_cast<int32_t>(0x80040E21u);  // value cannot be stored
// A value too large (or not a number at all) for the decimal that is to hold it. The
// native code is the original server's for an arithmetic overflow.
inline constexpr int32_t kErrDataOverflow = static_cast<int32_t>(0x80040E57u);
inline constexpr int kNativeArithmeticOverflow = 8115;

[[noreturn]] void Raise(int32_t number, std::string description, std::string sql = {});
// The standard description of one of the numbers above.
std::string Describe(int32_t number);
[[noreturn]] void Raise(int32_t number);

}  // namespace ado
