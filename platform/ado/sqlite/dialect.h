#pragma once
// The component's statements (written for SQL Server) in SQLite: the hooks SQLite gives
// the T-SQL rewriter (platform/ado/tsql/rewriter.h), which finds the constructs.
//
//   convert(char, convert(money, X), 2)   -> mom_money_text(X): a row version printed
//                                            as money with four decimals, 30 wide
//   getdate()                             -> mom_getdate(): local 'YYYY-MM-DD HH:MM:SS.fff'
//   cast(X as int)                        -> mom_cast_int(X): as the original database
//                                            converts, failing for text that is not an
//                                            integer and for values outside int
//   #name                                 -> "#name", a connection's temporary table
//   SELECT [IDENTITY(int,1,1) AS C,] items INTO target FROM ...
//                                         -> CREATE [TEMP] TABLE target (C INTEGER PRIMARY
//                                            KEY AUTOINCREMENT, item columns with the
//                                            declared types of their source columns);
//                                            INSERT INTO target (...) SELECT items FROM ...
//   Alias = expr                          -> expr AS Alias
//
// Quoted names, type names, aliases and "?" markers SQLite takes as written; the text
// around the statements is kept, so a SELECT INTO yields two statements separated by
// ';' and callers run the result as a script.

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/ado/numeric_rules.h"
#include "platform/ado/tsql/constructs.h"  // kCastToIntFunction

namespace ado::sqlite {

inline constexpr std::string_view kMoneyTextFunction = "mom_money_text";
inline constexpr std::string_view kCurrentTimeFunction = "mom_getdate";
inline constexpr std::string_view kCastToIntFunction = tsql::kCastToIntFunction;
// For the procedures' own statements: a computed quantity as a quantity column keeps it.
inline constexpr std::string_view kQuantityFunction = "mom_quantity";
// Who the session is (session_identity.h), for the quantity journal.
inline constexpr std::string_view kSessionUserFunction = "mom_session_user";
inline constexpr std::string_view kApplicationNameFunction = "mom_application_name";

struct DeclaredColumn {
  std::string name;
  std::string type;  // as declared, e.g. "VARCHAR(20)"; empty when none
};

// Columns of a table as declared, in order; empty when there is no such table. Needed
// by SELECT INTO, which copies the declared types of the selected columns.
using SchemaLookup = std::function<std::vector<DeclaredColumn>(std::string_view table)>;

// Translates statement text. Raises ado::Error (provider error) for a construct of the
// subset used in a way it does not support (e.g. IDENTITY with a seed other than 1).
std::string Translate(std::string_view sql, const SchemaLookup& schema);

// The row version's money text (numeric_rules.h), which mom_money_text returns.
using ado::MoneyText;

// The 0-based result columns of one statement whose select item is exactly a call of
// the current-time function (optionally aliased); their values are dates. Items after
// a "*" cannot be placed and are not reported.
std::vector<int> CurrentTimeColumns(std::string_view statement);

}  // namespace ado::sqlite
