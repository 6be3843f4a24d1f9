#pragma once
// Which row a write-back's Krts token belongs to, so that a call refused because the
// row changed can be answered with the row's current token.

#include <optional>
#include <string>

#include "platform/ado/connection.h"
#include "tools/mom/operation_call.h"

namespace mom_service {

struct TokenRow {
  std::string table;
  std::string key_column;
  int32_t id = 0;
};

// The row whose token the call hands to its procedure; none for operations that take
// no token.
std::optional<TokenRow> TokenRowOf(const mom_console::OperationCall& call);

// The row's token as callers read it (convert(char,convert(money,Krts),2)); none when
// the row no longer exists.
std::optional<std::string> CurrentToken(ado::Connection& connection, const TokenRow& row);

}  // namespace mom_service
