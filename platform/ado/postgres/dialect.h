#pragma once
// The component's statements (written for SQL Server) in PostgreSQL: the hooks
// PostgreSQL gives the T-SQL rewriter (platform/ado/tsql/rewriter.h), which finds the
// constructs, and the statements one by one as the server takes them.
//
//   convert(char, convert(money, X), 2) -> rpad(((X)::numeric / 10000)::numeric(30,4)::text, 30):
//                                          a row version as money text, 30 wide
//   getdate()                           -> clock_timestamp()::timestamp(3)
//   cast(X as int)                      -> mom_cast_int(X), the schema's conversion as
//                                          the original server does it
//   #name, [#name]                      -> "#name" (lower case: T-SQL names ignore case)
//   [name]                              -> "name" (lower case)
//   SELECT IDENTITY(int,1,1) AS C, items INTO target FROM ...
//       -> CREATE [TEMP] TABLE target AS SELECT 0::int AS C, items FROM ... WITH NO DATA;
//          ALTER TABLE target ALTER COLUMN C SET NOT NULL, ALTER COLUMN C ADD GENERATED
//          BY DEFAULT AS IDENTITY; INSERT INTO target (names) SELECT items FROM ...
//       (the rows numbered 1..n in the select's order, later inserts numbering on)
//   SELECT items INTO target FROM ...    -> CREATE [TEMP] TABLE target AS SELECT items FROM ...
//   Alias = expr, expr AS 'Alias'        -> expr AS "Alias" at the statement's own select
//                                           list (expr AS Alias in nested ones)
//   nvarchar, nchar, ntext, datetime, smalldatetime, tinyint
//                                        -> varchar, char, text, timestamp(3),
//                                           timestamp(0), smallint
//   OffSet (a column, not the paging clause) -> "offset"
//   ?, ?N ($N)                           -> $k, numbered per statement (see Statement)
//
// PostgreSQL DDL and PL/pgSQL pass unchanged.

#include <cstddef>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace ado::postgres {

struct Statement {
  std::string sql;  // one PostgreSQL statement, without the ';'
  // $k+1 in `sql` takes the caller's parameter params[k] (0-based positions).
  std::vector<size_t> params;
  // The statement starts with CREATE (it may create the spelling dictionary).
  bool creates = false;
};

struct Translation {
  std::vector<Statement> statements;  // in order; statements of only blanks or comments dropped
  size_t parameter_count = 0;         // parameters the text refers to (highest position + 1)
  // Every identifier of the text as written, by its lower-case form (first spelling
  // with an upper-case letter wins): restores the spelling of result column names.
  std::unordered_map<std::string, std::string> spellings;
  // The aliases of the statements' own select lists as written, by lower-case form: a
  // column so named is called as written, before any other spelling.
  std::unordered_map<std::string, std::string> aliases;
  // The statements joined into one script for the simple query protocol.
  std::string Script() const;
};

// Raises ado::Error (provider error) for a construct of the subset used in a way it does
// not support (e.g. IDENTITY with a seed other than 1).
Translation Translate(std::string_view sql);

// The PostgreSQL expression of the row-version money text for operand SQL `x`.
std::string MoneyTextExpression(std::string_view x);

}  // namespace ado::postgres
