#include "platform/ado/tsql/select_items.h"

#include "platform/ado/text.h"

namespace ado::tsql {

bool IsWord(const Token& t, std::string_view w) { return t.kind == TokenKind::kWord && EqualsIgnoreCase(t.text, w); }
bool IsPunct(const Token& t, std::string_view p) { return t.kind == TokenKind::kPunct && t.text == p; }
bool IsName(const Token& t) { return t.kind == TokenKind::kWord || t.kind == TokenKind::kQuotedName; }

bool IsAnyWord(const Token& t, std::initializer_list<std::string_view> words) {
  for (std::string_view w : words)
    if (IsWord(t, w)) return true;
  return false;
}

bool EndsSelectList(const Token& t) {
  return IsAnyWord(t, {"from", "into", "where", "group", "having", "order", "union", "except", "intersect",
                       "limit", "window"});
}

bool IsTableHint(const Token& t) {
  return IsAnyWord(t, {"nolock", "readuncommitted", "readcommitted", "rowlock", "updlock", "holdlock", "paglock",
                       "tablock", "tablockx", "xlock", "readpast", "serializable", "repeatableread"});
}

std::string Unquote(const Token& t) {
  if (t.kind != TokenKind::kQuotedName && t.kind != TokenKind::kString) return std::string(t.text);
  if (t.text.size() < 2) return {};
  char close = t.text.back();
  std::string out;
  std::string_view inner = t.text.substr(1, t.text.size() - 2);
  for (size_t i = 0; i < inner.size(); ++i) {
    out += inner[i];
    if (inner[i] == close && close != ']' && i + 1 < inner.size() && inner[i + 1] == close) ++i;
  }
  return out;
}

std::string QuoteName(std::string_view name) {
  std::string out = "\"";
  for (char c : name) {
    if (c == '"') out += '"';
    out += c;
  }
  return out + "\"";
}

size_t TokenView::First(size_t i, size_t end) const {
  while (i < end && !tokens_[i].significant()) ++i;
  return i;
}

size_t TokenView::Last(size_t begin, size_t end) const {
  for (size_t i = end; i > begin; --i)
    if (tokens_[i - 1].significant()) return i - 1;
  return end;
}

std::vector<size_t> TokenView::Significant(size_t begin, size_t end) const {
  std::vector<size_t> out;
  for (size_t i = begin; i < end; ++i)
    if (tokens_[i].significant()) out.push_back(i);
  return out;
}

size_t TokenView::MatchParen(size_t open, size_t end) const {
  int depth = 0;
  for (size_t i = open; i < end; ++i) {
    if (IsPunct(tokens_[i], "(")) ++depth;
    if (IsPunct(tokens_[i], ")") && --depth == 0) return i;
  }
  return end;
}

size_t TokenView::SelectListEnd(size_t begin, size_t end) const {
  int depth = 0;
  for (size_t i = begin; i < end; ++i) {
    const Token& t = tokens_[i];
    if (IsPunct(t, "(")) {
      ++depth;
    } else if (IsPunct(t, ")")) {
      if (depth == 0) return i;
      --depth;
    } else if (depth == 0 && (IsPunct(t, ";") || EndsSelectList(t))) {
      return i;
    }
  }
  return end;
}

size_t TokenView::StatementEnd(size_t begin, size_t end) const {
  int depth = 0;
  for (size_t i = begin; i < end; ++i) {
    if (IsPunct(tokens_[i], "(")) ++depth;
    if (IsPunct(tokens_[i], ")")) --depth;
    if (depth <= 0 && IsPunct(tokens_[i], ";")) return i;
  }
  return end;
}

std::vector<Range> TokenView::SplitItems(size_t begin, size_t end) const {
  std::vector<Range> items;
  int depth = 0;
  size_t start = begin;
  for (size_t i = begin; i < end; ++i) {
    if (IsPunct(tokens_[i], "(")) ++depth;
    if (IsPunct(tokens_[i], ")")) --depth;
    if (depth == 0 && IsPunct(tokens_[i], ",")) {
      items.push_back({start, i});
      start = i + 1;
    }
  }
  items.push_back({start, end});
  return items;
}

size_t TokenView::SkipSetQuantifier(size_t begin, size_t end) const {
  size_t f = First(begin, end);
  return f < end && IsAnyWord(tokens_[f], {"distinct", "all"}) ? f + 1 : begin;
}

std::string TokenView::Text(size_t begin, size_t end) const {
  std::string out;
  for (size_t i = begin; i < end && i < tokens_.size(); ++i) out += tokens_[i].text;
  return out;
}

SelectItem ParseItem(const TokenView& v, Range item) {
  SelectItem out;
  std::vector<size_t> sig = v.Significant(item.first, item.second);
  if (sig.empty()) {
    out.expr_first = out.expr_end = item.first;
    return out;
  }
  out.expr_first = sig.front();
  out.expr_end = sig.back() + 1;
  const Token& first = v[sig[0]];
  if (sig.size() >= 3 && (IsName(first) || first.kind == TokenKind::kString) && IsPunct(v[sig[1]], "=") &&
      !IsAnyWord(first, {"case", "not", "exists"})) {
    out.equals_form = true;
    out.alias = Unquote(first);
    out.alias_token = sig[0];
    out.expr_first = sig[2];
    return out;
  }
  if (sig.size() >= 2) {
    const Token& last = v[sig.back()];
    const Token& before = v[sig[sig.size() - 2]];
    bool last_is_alias = (IsName(last) || last.kind == TokenKind::kString) &&
                         !IsAnyWord(last, {"end", "null", "true", "false"});
    if (last_is_alias && IsWord(before, "as") && sig.size() >= 3) {
      out.alias = Unquote(last);
      out.alias_token = sig.back();
      out.expr_end = sig[sig.size() - 3] + 1;
    } else if (last_is_alias && last.kind != TokenKind::kString &&
               (IsName(before) || before.kind == TokenKind::kNumber || before.kind == TokenKind::kString ||
                IsPunct(before, ")")) &&
               !IsAnyWord(before, {"as", "collate", "not", "is", "and", "or", "like", "in", "else", "then"})) {
      out.alias = Unquote(last);
      out.alias_token = sig.back();
      out.expr_end = sig[sig.size() - 2] + 1;
    }
  }
  return out;
}

}  // namespace ado::tsql
