#pragma once
// Splits SQL text into tokens that concatenate back to the exact text, so that a
// rewrite can replace some tokens and keep everything else byte for byte.

#include <string_view>
#include <vector>

namespace ado::sqlite {

enum class TokenKind {
  kSpace,
  kComment,     // -- to end of line, or /* ... */
  kString,      // '...' with '' standing for a quote
  kQuotedName,  // "...", [...] or `...`
  kWord,        // keyword or name; may start with # (temporary table) or @
  kNumber,
  kParameter,   // ?, ?NNN, :name
  kPunct,       // operator or punctuation; two-character operators are one token
};

struct Token {
  TokenKind kind;
  std::string_view text;  // a view into the tokenized text
  bool significant() const { return kind != TokenKind::kSpace && kind != TokenKind::kComment; }
};

// Unterminated literals and comments run to the end of the text.
std::vector<Token> Tokenize(std::string_view sql);

}  // namespace ado::sqlite
