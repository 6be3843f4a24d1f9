#include "platform/ado/tsql/rewriter.h"

#include <algorithm>
#include <utility>

#include "platform/ado/error.h"
#include "platform/ado/text.h"
#include "platform/ado/tsql/constructs.h"

namespace ado::tsql {

bool IsSessionName(const Token& t) {
  if (t.kind == TokenKind::kWord) return t.text[0] == '#';
  return t.kind == TokenKind::kQuotedName && t.text.size() > 2 && t.text[0] == '[' && t.text[1] == '#';
}

bool IsColumnRef(const TokenView& v, const std::vector<size_t>& sig) {
  bool column_ref = !sig.empty() && IsName(v[sig.back()]) && sig.size() % 2 == 1;
  for (size_t k = 1; column_ref && k < sig.size(); k += 2) column_ref = IsPunct(v[sig[k]], ".");
  return column_ref;
}

std::string Rewritten::Text() const {
  std::string out;
  for (const Statement& s : statements) out += s.lead + s.sql;
  return out + tail;
}

Rewriter::Rewriter(std::string_view sql, DialectHooks& hooks) : sql_(sql), v_(sql), hooks_(hooks) {
  NumberParameters();
}

// SQLite's numbering, which the component's text was written against: "?N" is
// parameter N, "?" one more than the highest number used so far.
void Rewriter::NumberParameters() {
  positions_.assign(v_.size(), 0);
  size_t highest = 0;
  for (size_t i = 0; i < v_.size(); ++i) {
    const Token& t = v_[i];
    if (t.kind != TokenKind::kParameter || (t.text[0] != '?' && t.text[0] != '$')) continue;
    size_t n = highest + 1;
    if (t.text.size() > 1) n = static_cast<size_t>(std::stoul(std::string(t.text.substr(1))));
    if (n == 0) Raise(kErrProvider, "Parameter numbers start at 1: " + std::string(t.text), std::string(sql_));
    highest = std::max(highest, n);
    positions_[i] = n;
  }
  out_.parameter_count = highest;
}

Rewritten Rewriter::Run() {
  size_t end = v_.size();
  size_t i = 0, written = 0;  // the text before `written` is in the output
  while (i < end) {
    size_t stmt_end = v_.StatementEnd(i, end);
    size_t first = v_.First(i, stmt_end);
    if (first < stmt_end) {
      size_t last = stmt_end;  // trailing blanks go to the next lead, a trailing comment stays
      while (last > first && v_[last - 1].kind == TokenKind::kSpace) --last;
      lead_ = v_.Text(written, first);
      RewriteStatement(first, last);
      written = last;
    }
    i = stmt_end < end ? stmt_end + 1 : end;
  }
  out_.tail = v_.Text(written, end);
  return std::move(out_);
}

Statement& Rewriter::Begin() {
  Statement& s = out_.statements.emplace_back();
  s.lead = std::exchange(lead_, ";\n");
  return s;
}

void Rewriter::RewriteStatement(size_t first, size_t last) {
  if (IsWord(v_[first], "select")) {
    size_t list_end = v_.SelectListEnd(first + 1, last);
    if (list_end < last && IsWord(v_[list_end], "into")) {
      hooks_.SelectInto(*this, ParseSelectInto(first, list_end, last));
      return;
    }
  }
  Statement& s = Begin();
  s.creates = IsWord(v_[first], "create");
  s.sql = Emit(first, last, true);
}

SelectInto Rewriter::ParseSelectInto(size_t select, size_t into, size_t end) const {
  SelectInto s;
  s.select = select;
  s.into = into;
  s.end = end;
  size_t target = v_.Next(into, end);
  if (target >= end || !IsName(v_[target])) Raise(kErrProvider, "SELECT INTO needs a table name", std::string(sql_));
  s.temporary = IsSessionName(v_[target]);
  s.target.push_back(target);
  s.rest = v_.Next(target, end);
  while (s.rest < end && IsPunct(v_[s.rest], ".")) {  // schema.table
    size_t part = v_.Next(s.rest, end);
    if (part >= end) break;
    s.target.push_back(part);
    s.rest = v_.Next(part, end);
  }
  s.items_begin = v_.SkipSetQuantifier(select + 1, into);
  for (Range range : v_.SplitItems(s.items_begin, into)) {
    SelectItem item = ParseItem(v_, range);
    std::vector<size_t> sig = v_.Significant(item.expr_first, item.expr_end);
    if (sig.empty()) Raise(kErrProvider, "SELECT INTO has an empty select item", std::string(sql_));
    size_t name_token = item.alias_token;
    if (IsIdentity(v_, sig, sql_)) {
      if (item.alias.empty()) Raise(kErrProvider, "The IDENTITY column of SELECT INTO needs a name", std::string(sql_));
      if (s.identity >= 0) Raise(kErrProvider, "SELECT INTO has two IDENTITY columns", std::string(sql_));
      s.identity = static_cast<int>(s.items.size());
    } else if (item.alias.empty()) {
      if (!IsColumnRef(v_, sig))
        Raise(kErrProvider, "A select item of SELECT INTO has no column name: " + v_.Text(sig.front(), sig.back() + 1),
              std::string(sql_));
      name_token = sig.back();
    }
    s.items.push_back(std::move(item));
    s.name_tokens.push_back(name_token);
  }
  return s;
}

std::string Rewriter::Parameter(size_t i) {
  if (out_.statements.empty()) return std::string(v_[i].text);  // Begin was not called: no statement to number for
  std::vector<size_t>& params = out_.statements.back().params;
  size_t index = positions_[i] - 1;
  auto it = std::find(params.begin(), params.end(), index);
  if (it == params.end()) it = params.insert(params.end(), index);
  return hooks_.Parameter(v_[i], static_cast<size_t>(it - params.begin()) + 1);
}

std::string Rewriter::Emit(size_t begin, size_t end, bool own_select) {
  std::string out;
  size_t i = begin;
  while (i < end) {
    const Token& t = v_[i];
    if (!t.significant()) {
      out += t.text;
      ++i;
    } else if (t.kind == TokenKind::kParameter && positions_[i] != 0) {
      out += Parameter(i);
      ++i;
    } else if (t.kind == TokenKind::kQuotedName) {
      out += hooks_.QuotedName(t);
      ++i;
    } else if (t.kind != TokenKind::kWord) {
      out += t.text;
      ++i;
    } else if (IsWord(t, "select")) {
      size_t list_end = v_.SelectListEnd(i + 1, end);
      out += t.text;
      out += EmitSelectList(i + 1, list_end, own_select && i == begin);
      i = list_end;
    } else {
      out += EmitWord(i, end);
    }
  }
  return out;
}

// The rewrite of the word at `i`, advancing `i` past what it replaces.
std::string Rewriter::EmitWord(size_t& i, size_t end) {
  const size_t at = i;
  const Token& t = v_[at];
  size_t after = 0;
  Range inner;
  if (MatchMoneyText(v_, at, end, &after, &inner)) {
    i = after;
    return hooks_.MoneyText(Emit(v_.First(inner.first, inner.second), v_.Last(inner.first, inner.second) + 1));
  }
  if (MatchCastToInt(v_, at, end, &after, &inner)) {
    i = after;
    return hooks_.CastToInt(Emit(inner.first, inner.second));
  }
  if (MatchGetDate(v_, at, end, &after)) {
    i = after;
    return hooks_.CurrentTime();
  }
  if (MatchTableHint(v_, at, end, &after)) {  // the other databases have no use for them
    i = after;
    return {};
  }
  i = at + 1;
  if (t.text[0] == '#') return hooks_.SessionTable(t);
  if (hooks_.IsReservedColumn(v_, at, end)) return hooks_.ReservedColumn(t);
  size_t next = v_.Next(at, end);
  if (std::string_view type = hooks_.TypeName(t); !type.empty()) {
    bool column = (at > 0 && IsPunct(v_[at - 1], ".")) || (next < end && IsPunct(v_[next], "."));
    if (!column) return std::string(type);  // after or before "." the word is a column
  }
  if (IsWord(t, "create")) {
    size_t name = v_.Next(next, end);
    if (name < end && IsWord(v_[next], "table") && IsSessionName(v_[name])) return std::string(t.text) + " TEMP";
  }
  if ((t.text == "N" || t.text == "n") && i < end && v_[i].kind == TokenKind::kString && v_[i].text[0] == '\'')
    return {};  // N'text': the databases' text is Unicode already
  return std::string(t.text);
}

// A select list with "Alias = expr" items written "expr AS Alias".
std::string Rewriter::EmitSelectList(size_t begin, size_t end, bool own) {
  size_t items_begin = v_.SkipSetQuantifier(begin, end);
  std::string out = Emit(begin, items_begin);
  std::vector<Range> items = v_.SplitItems(items_begin, end);
  for (size_t k = 0; k < items.size(); ++k) {
    if (k > 0) out += ",";
    auto [b, e] = items[k];
    SelectItem item = ParseItem(v_, items[k]);
    if (own && !item.alias.empty()) out_.aliases.try_emplace(AsciiLower(item.alias), item.alias);
    if (item.equals_form) {
      out += v_.Text(b, item.alias_token);
      out += Emit(item.expr_first, item.expr_end);
      out += " AS ";
      out += hooks_.Alias(v_[item.alias_token], own);
      out += v_.Text(item.expr_end, e);
    } else if (!item.alias.empty() && v_[item.alias_token].kind == TokenKind::kString) {
      out += Emit(b, item.alias_token);
      out += hooks_.Alias(v_[item.alias_token], own);
      out += v_.Text(item.alias_token + 1, e);
    } else {
      out += Emit(b, e);
    }
  }
  return out;
}

}  // namespace ado::tsql
