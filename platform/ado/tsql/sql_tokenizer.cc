#include "platform/ado/tsql/sql_tokenizer.h"

namespace ado::tsql {

namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool IsAlpha(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
bool IsWordStart(char c) { return IsAlpha(c) || c == '_' || c == '@' || static_cast<unsigned char>(c) >= 0x80; }
bool IsWordChar(char c) { return IsWordStart(c) || IsDigit(c) || c == '$' || c == '#'; }
bool IsSpace(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f' || c == '\v'; }

// End of a literal opened at `pos` with `open`, closed by `close`; a doubled closing
// character stands for itself.
size_t QuotedEnd(std::string_view s, size_t pos, char close) {
  size_t i = pos + 1;
  while (i < s.size()) {
    if (s[i] == close) {
      if (close != ']' && i + 1 < s.size() && s[i + 1] == close) {
        i += 2;
        continue;
      }
      return i + 1;
    }
    ++i;
  }
  return s.size();
}

// End of an escape string E'...' whose quote is at `pos`: a backslash escapes the next
// character and '' stands for a quote.
size_t EscapeStringEnd(std::string_view s, size_t pos) {
  size_t i = pos + 1;
  while (i < s.size()) {
    if (s[i] == '\\') {
      i += 2;
      continue;
    }
    if (s[i] == '\'') {
      if (i + 1 < s.size() && s[i + 1] == '\'') {
        i += 2;
        continue;
      }
      return i + 1;
    }
    ++i;
  }
  return s.size();
}

// The opening delimiter of a dollar-quoted string at `pos` ("$$" or "$tag$", the tag
// a name that does not start with a digit); empty when there is none.
std::string_view DollarTag(std::string_view s, size_t pos) {
  size_t i = pos + 1;
  if (i < s.size() && IsDigit(s[i])) return {};
  while (i < s.size() && (IsAlpha(s[i]) || IsDigit(s[i]) || s[i] == '_' || static_cast<unsigned char>(s[i]) >= 0x80))
    ++i;
  if (i >= s.size() || s[i] != '$') return {};
  return s.substr(pos, i + 1 - pos);
}

}  // namespace

std::vector<Token> Tokenize(std::string_view s) {
  std::vector<Token> tokens;
  size_t i = 0;
  while (i < s.size()) {
    char c = s[i];
    size_t start = i;
    TokenKind kind;
    if (IsSpace(c)) {
      while (i < s.size() && IsSpace(s[i])) ++i;
      kind = TokenKind::kSpace;
    } else if (c == '-' && i + 1 < s.size() && s[i + 1] == '-') {
      size_t nl = s.find('\n', i);
      i = nl == std::string_view::npos ? s.size() : nl;
      kind = TokenKind::kComment;
    } else if (c == '/' && i + 1 < s.size() && s[i + 1] == '*') {
      size_t close = s.find("*/", i + 2);
      i = close == std::string_view::npos ? s.size() : close + 2;
      kind = TokenKind::kComment;
    } else if (c == '\'') {
      i = QuotedEnd(s, i, '\'');
      kind = TokenKind::kString;
    } else if ((c == 'E' || c == 'e') && i + 1 < s.size() && s[i + 1] == '\'') {
      i = EscapeStringEnd(s, i + 1);
      kind = TokenKind::kString;
    } else if (c == '$' && !DollarTag(s, i).empty()) {
      std::string_view tag = DollarTag(s, i);
      size_t close = s.find(tag, i + tag.size());
      i = close == std::string_view::npos ? s.size() : close + tag.size();
      kind = TokenKind::kString;
    } else if (c == '$' && i + 1 < s.size() && IsDigit(s[i + 1])) {
      ++i;
      while (i < s.size() && IsDigit(s[i])) ++i;
      kind = TokenKind::kParameter;
    } else if (c == '"' || c == '`' || c == '[') {
      i = QuotedEnd(s, i, c == '[' ? ']' : c);
      kind = TokenKind::kQuotedName;
    } else if (IsDigit(c) || (c == '.' && i + 1 < s.size() && IsDigit(s[i + 1]))) {
      while (i < s.size() && (IsDigit(s[i]) || s[i] == '.')) ++i;
      if (i < s.size() && (s[i] == 'e' || s[i] == 'E')) {
        size_t j = i + 1;
        if (j < s.size() && (s[j] == '+' || s[j] == '-')) ++j;
        if (j < s.size() && IsDigit(s[j])) i = j;
      }
      while (i < s.size() && IsWordChar(s[i])) ++i;  // 0x1F, 1e10
      kind = TokenKind::kNumber;
    } else if (IsWordStart(c) || (c == '#' && i + 1 < s.size() && IsWordChar(s[i + 1]))) {
      ++i;
      while (i < s.size() && IsWordChar(s[i])) ++i;
      kind = TokenKind::kWord;
    } else if (c == '?') {
      ++i;
      while (i < s.size() && IsDigit(s[i])) ++i;
      kind = TokenKind::kParameter;
    } else if (c == ':' && i + 1 < s.size() && IsWordStart(s[i + 1])) {
      ++i;
      while (i < s.size() && IsWordChar(s[i])) ++i;
      kind = TokenKind::kParameter;
    } else {
      static constexpr std::string_view kPairs[] = {"<=", ">=", "<>", "!=", "==", "||", "<<", ">>", "->", "::"};
      i += 1;
      for (std::string_view p : kPairs)
        if (s.substr(start, 2) == p) i = start + 2;
      kind = TokenKind::kPunct;
    }
    tokens.push_back({kind, s.substr(start, i - start)});
  }
  return tokens;
}

}  // namespace ado::tsql
