#pragma once
// Navigation over the tokens of the component's T-SQL, shared by the providers'
// dialects: statement and select-list bounds, comma-separated items, select items
// split into expression and alias (both "expr AS Alias" and T-SQL's "Alias = expr").

#include <cstddef>
#include <initializer_list>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/ado/tsql/sql_tokenizer.h"

namespace ado::tsql {

using Range = std::pair<size_t, size_t>;  // [first, end) token indices

bool IsWord(const Token& t, std::string_view w);
bool IsPunct(const Token& t, std::string_view p);
bool IsName(const Token& t);
bool IsAnyWord(const Token& t, std::initializer_list<std::string_view> words);
// Words that end a select list at its own nesting depth.
bool EndsSelectList(const Token& t);
// Table hints of WITH (NOLOCK) and the like, which the other databases have no use for.
bool IsTableHint(const Token& t);

// The name or literal without its quotes ("a""b" -> a"b, [x] -> x, 'it''s' -> it's).
std::string Unquote(const Token& t);
// "name" with embedded double quotes doubled.
std::string QuoteName(std::string_view name);

class TokenView {
 public:
  explicit TokenView(std::string_view sql) : tokens_(Tokenize(sql)) {}

  size_t size() const { return tokens_.size(); }
  const Token& operator[](size_t i) const { return tokens_[i]; }

  // First significant token at or after `i` (before `end`), else `end`.
  size_t First(size_t i, size_t end) const;
  size_t Next(size_t i, size_t end) const { return i >= end ? end : First(i + 1, end); }
  // Last significant token in [begin, end), else `end`.
  size_t Last(size_t begin, size_t end) const;
  std::vector<size_t> Significant(size_t begin, size_t end) const;
  // The ')' that closes the '(' at `open`, else `end`.
  size_t MatchParen(size_t open, size_t end) const;
  // The token that ends the select list starting at `begin`: a clause word or ';' at
  // the list's own depth, or the ')' that closes an enclosing parenthesis.
  size_t SelectListEnd(size_t begin, size_t end) const;
  // The ';' at depth 0 that ends the statement containing `begin`, else `end`.
  size_t StatementEnd(size_t begin, size_t end) const;
  // Comma-separated items of [begin, end) at depth 0; the commas are between them.
  std::vector<Range> SplitItems(size_t begin, size_t end) const;
  // Skips DISTINCT or ALL right after SELECT; returns where the items begin.
  size_t SkipSetQuantifier(size_t begin, size_t end) const;
  // Concatenated text of tokens [begin, end).
  std::string Text(size_t begin, size_t end) const;

 private:
  std::vector<Token> tokens_;
};

// One select item split into its expression and its alias.
struct SelectItem {
  size_t expr_first = 0, expr_end = 0;  // significant bounds of the expression
  std::string alias;                    // unquoted; empty when none
  bool equals_form = false;             // written "Alias = expr"
  size_t alias_token = 0;
};

SelectItem ParseItem(const TokenView& v, Range item);

}  // namespace ado::tsql
