#pragma once
// The T-SQL constructs that every dialect recognises before rewriting them its own
// way: the row-version token, getdate(), cast(X as int), table hints and IDENTITY in
// SELECT INTO.

#include <string_view>
#include <vector>

#include "platform/ado/tsql/select_items.h"

namespace ado::tsql {

// convert(char, convert(money, X), 2) at token `i`: sets *after past the outer ')'
// and *inner (when given) to X's tokens.
bool MatchMoneyText(const TokenView& v, size_t i, size_t end, size_t* after, Range* inner = nullptr);
// getdate() at token `i`: sets *after past the ')'.
bool MatchGetDate(const TokenView& v, size_t i, size_t end, size_t* after);
// cast(X as int) at token `i`: sets *after past the ')' and *operand (when given) to
// X's significant tokens. Every dialect hands it to its mom_cast_int, which converts as
// the original server does (numeric_rules.h).
inline constexpr std::string_view kCastToIntFunction = "mom_cast_int";
bool MatchCastToInt(const TokenView& v, size_t i, size_t end, size_t* after, Range* operand = nullptr);
// WITH (NOLOCK[, ...]) after a table name: sets *after past the ')'.
bool MatchTableHint(const TokenView& v, size_t i, size_t end, size_t* after);
// Whether the significant tokens `sig` of a select item are IDENTITY(type, 1, 1).
// Raises a provider error for another seed or increment (`sql` names the statement).
bool IsIdentity(const TokenView& v, const std::vector<size_t>& sig, std::string_view sql);

}  // namespace ado::tsql
