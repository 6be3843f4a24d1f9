#pragma once
// The one rewriter of the component's T-SQL, which every database's dialect drives with
// its hooks (dialect_hooks.h). It walks the tokens once (sql_tokenizer.h), so nothing
// inside a literal, a dollar-quoted body or a comment is ever rewritten, and matches
// keywords without regard to case. The constructs it finds:
//
//   convert(char, convert(money, X), 2)   the row-version token as money text
//   getdate()                             the current time
//   cast(X as int)                        the original server's conversion to int
//   #name, [#name]                        a session table; CREATE TABLE #name is TEMP
//   [name]                                a quoted name
//   SELECT ..., Alias = expr, ...         expr AS Alias, in every select list
//   expr AS 'Alias'                       an alias written as a string
//   nvarchar, datetime, ...               T-SQL type names (not after or before ".")
//   ?, ?N, $N                             parameters, numbered as SQLite does: ?N is
//                                         caller parameter N, ? one past the highest yet
//   words reserved in the database        columns so named
//   SELECT items INTO target ...          a new table from a query, IDENTITY(int,1,1)
//                                         numbering its rows
//   N'text'                               'text' (the databases' text is Unicode)
//   WITH (NOLOCK, ...)                    dropped
//
// Everything else passes unchanged. The text is split into statements at the ';' at
// its top level; blank statements are left out.

#include <cstddef>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "platform/ado/tsql/dialect_hooks.h"
#include "platform/ado/tsql/select_items.h"

namespace ado::tsql {

struct Statement {
  std::string sql;  // rewritten, without the ';' and the blanks around it
  // The caller's parameters (0-based positions) in the order the statement first
  // refers to them: the marker the hooks number k (Parameter's `local`) is params[k - 1].
  std::vector<size_t> params;
  bool creates = false;  // the statement starts with CREATE
  // The text before it as written: blanks, comments and the ';' of the one before. A
  // statement the rewrite adds follows the one before it after ";\n".
  std::string lead;
};

struct Rewritten {
  std::vector<Statement> statements;
  std::string tail;            // the text after the last statement, as written
  size_t parameter_count = 0;  // parameters the text refers to (highest position + 1)
  // The aliases of the statements' own select lists as written, by lower-case form.
  std::unordered_map<std::string, std::string> aliases;
  // The whole text rewritten: every statement after its lead, then the tail.
  std::string Text() const;
};

class Rewriter {
 public:
  // Raises ado::Error (provider error) for a construct used in a way the rewrite does
  // not support (IDENTITY with a seed other than 1, a parameter ?0, ...).
  Rewriter(std::string_view sql, DialectHooks& hooks);

  // The one walk of the text; call it once.
  Rewritten Run();

  // For the hooks.
  const TokenView& tokens() const { return v_; }
  std::string_view sql() const { return sql_; }
  // Rewritten text of tokens [begin, end).
  std::string Emit(size_t begin, size_t end) { return Emit(begin, end, false); }
  // Starts the next output statement: the parameters emitted from now on are its own.
  Statement& Begin();

 private:
  void NumberParameters();
  void RewriteStatement(size_t first, size_t last);
  SelectInto ParseSelectInto(size_t select, size_t into, size_t end) const;
  // `own_select`: a SELECT at `begin` is the statement's own.
  std::string Emit(size_t begin, size_t end, bool own_select);
  std::string EmitSelectList(size_t begin, size_t end, bool own);
  std::string EmitWord(size_t& i, size_t end);
  std::string Parameter(size_t i);

  std::string_view sql_;
  TokenView v_;
  DialectHooks& hooks_;
  std::vector<size_t> positions_;  // 1-based caller position of each marker token, 0 for others
  std::string lead_;               // the lead of the next statement Begin starts
  Rewritten out_;
};

// Whether session table names: #name, or [#name].
bool IsSessionName(const Token& t);
// Whether the significant tokens `sig` are a column reference: name, or q.name, ...
bool IsColumnRef(const TokenView& v, const std::vector<size_t>& sig);

}  // namespace ado::tsql
