#include "platform/ado/postgres/dialect.h"

#include <algorithm>

#include "platform/ado/application_catalog.h"
#include "platform/ado/error.h"
#include "platform/ado/text.h"
#include "platform/ado/tsql/constructs.h"
#include "platform/ado/tsql/select_items.h"

namespace ado::postgres {

namespace {

using tsql::IsAnyWord;
using tsql::IsName;
using tsql::IsPunct;
using tsql::IsTableHint;
using tsql::IsWord;
using tsql::ParseItem;
using tsql::QuoteName;
using tsql::Range;
using tsql::SelectItem;
using tsql::Token;
using tsql::TokenKind;
using tsql::TokenView;
using tsql::Unquote;

bool HasUpper(std::string_view s) {
  return std::any_of(s.begin(), s.end(), [](char c) { return c >= 'A' && c <= 'Z'; });
}

bool IsBracketed(const Token& t) { return t.kind == TokenKind::kQuotedName && t.text.front() == '['; }

bool IsTempName(const Token& t) {
  if (t.kind == TokenKind::kWord) return t.text[0] == '#';
  return IsBracketed(t) && t.text.size() > 2 && t.text[1] == '#';
}

class Translator {
 public:
  explicit Translator(std::string_view sql) : sql_(sql), v_(sql) { NumberParameters(); }

  Translation Run() {
    size_t end = v_.size();
    size_t i = 0;
    while (i < end) {
      size_t stmt_end = v_.StatementEnd(i, end);
      TranslateStatement(i, stmt_end);
      i = stmt_end < end ? stmt_end + 1 : end;
    }
    CollectSpellings();
    return std::move(out_);
  }

 private:
  // SQLite's numbering, which the component's text was written against: "?N" is
  // parameter N, "?" one more than the highest number used so far.
  void NumberParameters() {
    global_.assign(v_.size(), 0);
    size_t highest = 0;
    for (size_t i = 0; i < v_.size(); ++i) {
      const Token& t = v_[i];
      if (t.kind != TokenKind::kParameter || (t.text[0] != '?' && t.text[0] != '$')) continue;
      size_t n = highest + 1;
      if (t.text.size() > 1) n = static_cast<size_t>(std::stoul(std::string(t.text.substr(1))));
      if (n == 0) Raise(kErrProvider, "Parameter numbers start at 1: " + std::string(t.text), std::string(sql_));
      highest = std::max(highest, n);
      global_[i] = n;
    }
    out_.parameter_count = highest;
  }

  void CollectSpellings() {
    for (size_t i = 0; i < v_.size(); ++i) {
      const Token& t = v_[i];
      std::string name;
      if (t.kind == TokenKind::kWord) name = std::string(t.text);
      else if (t.kind == TokenKind::kQuotedName) name = Unquote(t);
      else continue;
      if (!HasUpper(name)) continue;
      out_.spellings.try_emplace(AsciiLower(name), std::move(name));
    }
  }

  // The statement text of [begin, end) without the blanks and comments around it.
  void TranslateStatement(size_t begin, size_t end) {
    size_t first = v_.First(begin, end);
    if (first >= end) return;
    size_t last = end;  // trailing blanks go, a trailing comment stays
    while (last > first && v_[last - 1].kind == TokenKind::kSpace) --last;
    if (IsWord(v_[first], "select")) {
      size_t list_end = v_.SelectListEnd(first + 1, last);
      if (list_end < last && IsWord(v_[list_end], "into")) {
        SelectInto(first, list_end, last);
        return;
      }
    }
    Statement& s = Begin();
    s.creates = IsWord(v_[first], "create");
    s.sql = Emit(first, last, true);
  }

  Statement& Begin() {
    out_.statements.emplace_back();
    return out_.statements.back();
  }

  std::string Parameter(size_t i) {
    std::vector<size_t>& params = out_.statements.back().params;
    size_t index = global_[i] - 1;
    auto it = std::find(params.begin(), params.end(), index);
    if (it == params.end()) it = params.insert(params.end(), index);
    return "$" + std::to_string(it - params.begin() + 1);
  }

  // A name token in PostgreSQL: [x] and #x as lower-case quoted names; so is a column
  // name of the application that PostgreSQL reserves (application_catalog.h: OffSet).
  std::string NameText(const Token& t) {
    if (IsBracketed(t) || (t.kind == TokenKind::kWord && (t.text[0] == '#' || catalog_->IsReservedColumn(t.text))))
      return QuoteName(AsciiLower(Unquote(t)));
    return std::string(t.text);
  }

  // Such a word followed by a count is the keyword itself (OFFSET starts T-SQL's paging
  // clause); otherwise it names a column.
  bool IsReservedColumn(size_t i, size_t end) const {
    if (v_[i].kind != TokenKind::kWord || !catalog_->IsReservedColumn(v_[i].text)) return false;
    size_t next = v_.Next(i, end);
    return next >= end || !(v_[next].kind == TokenKind::kNumber || v_[next].kind == TokenKind::kParameter ||
                            IsPunct(v_[next], "("));
  }

  // An alias: words stay (PostgreSQL folds them as T-SQL ignores their case), others
  // become quoted names; `quoted` keeps the spelling of a word too.
  std::string AliasText(const Token& t, bool quoted) {
    if (t.kind == TokenKind::kWord) return quoted ? QuoteName(t.text) : std::string(t.text);
    if (t.kind == TokenKind::kString) return QuoteName(Unquote(t));
    return NameText(t);
  }

  // Translated text of tokens [begin, end). `statement_select`: a SELECT at `begin`
  // is the statement's own, whose aliases keep their spelling.
  std::string Emit(size_t begin, size_t end, bool statement_select = false) {
    std::string out;
    size_t i = begin;
    while (i < end) {
      const Token& t = v_[i];
      if (!t.significant()) {
        out += t.text;
        ++i;
        continue;
      }
      bool own_select = statement_select && i == begin;
      if (t.kind == TokenKind::kParameter && global_[i] != 0) {
        out += Parameter(i);
        ++i;
        continue;
      }
      if (IsBracketed(t)) {
        out += NameText(t);
        ++i;
        continue;
      }
      if (t.kind != TokenKind::kWord) {
        out += t.text;
        ++i;
        continue;
      }
      if (IsWord(t, "select")) {
        size_t list_end = v_.SelectListEnd(i + 1, end);
        out += t.text;
        out += EmitSelectList(i + 1, list_end, own_select);
        i = list_end;
        continue;
      }
      size_t after = 0;
      Range inner;
      if (tsql::MatchMoneyText(v_, i, end, &after, &inner)) {
        size_t first = v_.First(inner.first, inner.second);
        size_t last = v_.Last(inner.first, inner.second);
        out += MoneyTextExpression(Emit(first, last + 1));
        i = after;
        continue;
      }
      if (tsql::MatchCastToInt(v_, i, end, &after, &inner)) {
        out += std::string(tsql::kCastToIntFunction) + "(" + Emit(inner.first, inner.second) + ")";
        i = after;
        continue;
      }
      if (tsql::MatchGetDate(v_, i, end, &after)) {
        out += "clock_timestamp()::timestamp(3)";
        i = after;
        continue;
      }
      if (tsql::MatchTableHint(v_, i, end, &after)) {
        i = after;
        continue;
      }
      if (t.text[0] == '#' || IsReservedColumn(i, end)) {
        out += NameText(t);
        ++i;
        continue;
      }
      if (std::string_view type = ServerTypeName(i, end); !type.empty()) {
        out += type;
        ++i;
        continue;
      }
      if (IsWord(t, "create")) {
        size_t a = v_.Next(i, end);
        size_t b = v_.Next(a, end);
        if (b < end && IsWord(v_[a], "table") && IsTempName(v_[b])) {
          out += t.text;
          out += " TEMP";
          ++i;
          continue;
        }
      }
      if ((t.text == "N" || t.text == "n") && i + 1 < end && v_[i + 1].kind == TokenKind::kString &&
          v_[i + 1].text[0] == '\'') {
        ++i;  // N'text': PostgreSQL text is Unicode already
        continue;
      }
      out += t.text;
      ++i;
    }
    return out;
  }

  // A select list with "Alias = expr" items rewritten to "expr AS Alias".
  std::string EmitSelectList(size_t begin, size_t end, bool own) {
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
        out += AliasText(v_[item.alias_token], own);
        out += v_.Text(item.expr_end, e);
      } else if (!item.alias.empty() && v_[item.alias_token].kind == TokenKind::kString) {
        out += Emit(b, item.alias_token);  // 'Alias' is not an alias in PostgreSQL
        out += AliasText(v_[item.alias_token], true);
        out += v_.Text(item.alias_token + 1, e);
      } else {
        out += Emit(b, e);
      }
    }
    return out;
  }

  // T-SQL type names that PostgreSQL spells otherwise, in DDL and casts; a word after
  // "." is a column, not a type.
  std::string_view ServerTypeName(size_t i, size_t end) const {
    static constexpr std::pair<std::string_view, std::string_view> kTypes[] = {
        {"nvarchar", "varchar"},  {"nchar", "char"},     {"ntext", "text"},
        {"datetime", "timestamp(3)"}, {"smalldatetime", "timestamp(0)"}, {"tinyint", "smallint"}};
    if (i > 0 && IsPunct(v_[i - 1], ".")) return {};
    size_t next = v_.Next(i, end);
    if (next < end && IsPunct(v_[next], ".")) return {};
    for (const auto& [tsql, pg] : kTypes)
      if (IsWord(v_[i], tsql)) return pg;
    return {};
  }

  void SelectInto(size_t select, size_t into, size_t stmt_end) {
    size_t target = v_.Next(into, stmt_end);
    if (target >= stmt_end || !IsName(v_[target]))
      Raise(kErrProvider, "SELECT INTO needs a table name", std::string(sql_));
    bool temporary = IsTempName(v_[target]);
    std::string target_sql = NameText(v_[target]);
    size_t rest = v_.Next(target, stmt_end);
    while (rest < stmt_end && IsPunct(v_[rest], ".")) {  // schema.table
      size_t part = v_.Next(rest, stmt_end);
      if (part >= stmt_end) break;
      target_sql += "." + NameText(v_[part]);
      rest = v_.Next(part, stmt_end);
    }
    std::string create = std::string("CREATE ") + (temporary ? "TEMP " : "") + "TABLE " + target_sql + " AS ";

    size_t items_begin = v_.SkipSetQuantifier(select + 1, into);
    std::vector<Range> items = v_.SplitItems(items_begin, into);
    std::vector<SelectItem> parsed;
    int identity = -1;
    for (size_t k = 0; k < items.size(); ++k) {
      parsed.push_back(ParseItem(v_, items[k]));
      std::vector<size_t> sig = v_.Significant(parsed[k].expr_first, parsed[k].expr_end);
      if (sig.empty()) Raise(kErrProvider, "SELECT INTO has an empty select item", std::string(sql_));
      if (tsql::IsIdentity(v_, sig, sql_)) {
        if (parsed[k].alias.empty())
          Raise(kErrProvider, "The IDENTITY column of SELECT INTO needs a name", std::string(sql_));
        if (identity >= 0) Raise(kErrProvider, "SELECT INTO has two IDENTITY columns", std::string(sql_));
        identity = static_cast<int>(k);
      }
    }

    if (identity < 0) {  // a plain copy
      Statement& s = Begin();
      s.creates = true;
      s.sql = create + "SELECT" + Emit(select + 1, items_begin);
      s.sql += SelectListText(items, parsed, -1, true);  // in text order: parameters are numbered as met
      if (rest < stmt_end) s.sql += " " + Emit(rest, stmt_end);
      return;
    }

    // The table with the identity column in its place and the items' own types, empty...
    std::string id = AliasText(v_[parsed[static_cast<size_t>(identity)].alias_token], false);
    {
      Statement& s = Begin();
      s.creates = true;
      s.sql = create + "SELECT" + Emit(select + 1, items_begin);
      s.sql += SelectListText(items, parsed, identity, true);
      if (rest < stmt_end) s.sql += " " + Emit(rest, stmt_end);
      s.sql += "\nWITH NO DATA";
    }
    Begin().sql = "ALTER TABLE " + target_sql + " ALTER COLUMN " + id + " SET NOT NULL, ALTER COLUMN " + id +
                  " ADD GENERATED BY DEFAULT AS IDENTITY";
    // ...then filled in the select's order, the identity numbering the rows.
    std::string names;
    for (size_t k = 0; k < items.size(); ++k) {
      if (static_cast<int>(k) == identity) continue;
      const SelectItem& item = parsed[k];
      std::string name;
      if (!item.alias.empty()) {
        name = AliasText(v_[item.alias_token], false);
      } else {
        std::vector<size_t> sig = v_.Significant(item.expr_first, item.expr_end);
        bool column_ref = IsName(v_[sig.back()]) && sig.size() % 2 == 1;
        for (size_t j = 1; column_ref && j < sig.size(); j += 2) column_ref = IsPunct(v_[sig[j]], ".");
        if (!column_ref)
          Raise(kErrProvider,
                "A select item of SELECT INTO has no column name: " + v_.Text(sig.front(), sig.back() + 1),
                std::string(sql_));
        name = NameText(v_[sig.back()]);
      }
      if (!names.empty()) names += ", ";
      names += name;
    }
    if (names.empty()) Raise(kErrProvider, "SELECT INTO selects only an IDENTITY column", std::string(sql_));
    Statement& insert = Begin();
    insert.sql = "INSERT INTO " + target_sql + " (" + names + ") SELECT" + Emit(select + 1, items_begin);
    insert.sql += SelectListText(items, parsed, identity, false);
    if (rest < stmt_end) insert.sql += " " + Emit(rest, stmt_end);
  }

  // The select items of a SELECT INTO: the identity item (when `identity` >= 0) as an
  // int placeholder or left out, aliases as names of the new table.
  std::string SelectListText(const std::vector<Range>& items, const std::vector<SelectItem>& parsed, int identity,
                             bool with_identity) {
    std::string out;
    bool first = true;
    for (size_t k = 0; k < items.size(); ++k) {
      const SelectItem& item = parsed[k];
      std::string text;
      if (static_cast<int>(k) == identity) {
        if (!with_identity) continue;
        text = "0::int AS " + AliasText(v_[item.alias_token], false);
      } else {
        text = Emit(item.expr_first, item.expr_end);
        if (!item.alias.empty()) text += " AS " + AliasText(v_[item.alias_token], false);
      }
      out += first ? " " : ", ";
      out += text;
      first = false;
    }
    return out;
  }

  std::string_view sql_;
  TokenView v_;
  std::vector<size_t> global_;  // 1-based caller position of each parameter token, 0 for others
  Translation out_;
  std::shared_ptr<const ApplicationCatalog> catalog_ = CurrentApplicationCatalog();
};

}  // namespace

std::string Translation::Script() const {
  std::string out;
  for (const Statement& s : statements) {
    if (!out.empty()) out += "\n;\n";
    out += s.sql;
  }
  return out;
}

Translation Translate(std::string_view sql) { return Translator(sql).Run(); }

std::string MoneyTextExpression(std::string_view x) {
  return "rpad(((" + std::string(x) + ")::numeric / 10000)::numeric(30,4)::text, 30)";
}

}  // namespace ado::postgres
