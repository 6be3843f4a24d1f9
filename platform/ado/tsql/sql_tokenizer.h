#pragma once
// Splits SQL text into tokens that concatenate back to the exact text, so that a
// rewrite can replace some tokens and keep everything else byte for byte. Shared by
// the providers' dialects: besides T-SQL and SQLite literals it knows PostgreSQL's
// dollar-quoted strings ($$...$$, $tag$...$tag$) and escape strings (E'...'), so
// that function bodies pass through a rewrite untouched.

#include <string_view>
#include <vector>

namespace ado::tsql {

enum class TokenKind {
  kSpace,
  kComment,     // -- to end of line, or /* ... */
  kString,      // '...' with '' standing for a quote; E'...' with backslash escapes;
                // $$...$$ or $tag$...$tag$
  kQuotedName,  // "...", [...] or `...`
  kWord,        // keyword or name; may start with # (temporary table) or @
  kNumber,
  kParameter,   // ?, ?NNN, $NNN, :name
  kPunct,       // operator or punctuation; two-character operators (and ::) are one token
};

struct Token {
  TokenKind kind;
  std::string_view text;  // a view into the tokenized text
  bool significant() const { return kind != TokenKind::kSpace && kind != TokenKind::kComment; }
};

// Unterminated literals and comments run to the end of the text.
std::vector<Token> Tokenize(std::string_view sql);

}  // namespace ado::tsql
