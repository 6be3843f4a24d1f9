#include "platform/ado/sqlite/dialect.h"

#include <cstdio>
#include <map>

#include "platform/ado/error.h"
#include "platform/ado/tsql/constructs.h"
#include "platform/ado/tsql/select_items.h"
#include "platform/ado/text.h"

namespace ado::sqlite {

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

// Words that cannot be a table alias in a FROM clause.
bool IsClauseWord(const Token& t) {
  return IsAnyWord(t, {"join", "inner", "left", "right", "full", "outer", "cross", "natural", "on", "using",
                       "where", "group", "order", "having", "union", "except", "intersect", "limit", "with"});
}

struct SourceTable {
  std::string name;  // empty for a subquery
  std::string alias;
};

class Translator {
 public:
  Translator(std::string_view sql, const SchemaLookup& schema) : sql_(sql), v_(sql), schema_(schema) {}

  std::string Run() { return Emit(0, v_.size(), true); }

 private:
  std::string Text(size_t begin, size_t end) const { return v_.Text(begin, end); }

  // Translated text of tokens [begin, end). Statement-level rewrites (SELECT INTO)
  // apply only at `top_level`.
  std::string Emit(size_t begin, size_t end, bool top_level) {
    std::string out;
    bool at_start = top_level;
    size_t i = begin;
    while (i < end) {
      const Token& t = v_[i];
      if (!t.significant()) {
        out += t.text;
        ++i;
        continue;
      }
      if (IsPunct(t, ";")) {
        out += t.text;
        ++i;
        at_start = top_level;
        continue;
      }
      bool statement_start = at_start;
      at_start = false;
      if (t.kind == TokenKind::kWord) {
        if (IsWord(t, "select")) {
          size_t list_end = v_.SelectListEnd(i + 1, end);
          if (statement_start && list_end < end && IsWord(v_[list_end], "into")) {
            size_t stmt_end = v_.StatementEnd(i, end);
            out += SelectInto(i, list_end, stmt_end);
            i = stmt_end;
            continue;
          }
          out += t.text;
          out += EmitSelectList(i + 1, list_end);
          i = list_end;
          continue;
        }
        size_t after = 0;
        if (tsql::MatchMoneyText(v_, i, end, &after)) {
          out += EmitMoneyText(i, end);
          i = after;
          continue;
        }
        if (tsql::MatchCastToInt(v_, i, end, &after)) {
          out += EmitCastToInt(i, end);
          i = after;
          continue;
        }
        if (tsql::MatchGetDate(v_, i, end, &after)) {
          out += std::string(kCurrentTimeFunction) + "()";
          i = after;
          continue;
        }
        if (tsql::MatchTableHint(v_, i, end, &after)) {
          i = after;
          continue;
        }
        if (t.text[0] == '#') {
          out += QuoteName(t.text);
          ++i;
          continue;
        }
        if (IsWord(t, "create")) {
          size_t a = v_.Next(i, end);
          size_t b = v_.Next(a, end);
          if (b < end && IsWord(v_[a], "table") && v_[b].kind == TokenKind::kWord && v_[b].text[0] == '#') {
            out += t.text;
            out += " TEMP";
            ++i;
            continue;
          }
        }
        if ((t.text == "N" || t.text == "n") && i + 1 < end && v_[i + 1].kind == TokenKind::kString) {
          ++i;  // N'text': SQLite text is Unicode already
          continue;
        }
      }
      out += t.text;
      ++i;
    }
    return out;
  }

  // A select list with "Alias = expr" items rewritten to "expr AS Alias".
  std::string EmitSelectList(size_t begin, size_t end) {
    size_t items_begin = v_.SkipSetQuantifier(begin, end);
    std::string out = Emit(begin, items_begin, false);
    std::vector<Range> items = v_.SplitItems(items_begin, end);
    for (size_t k = 0; k < items.size(); ++k) {
      if (k > 0) out += ",";
      auto [b, e] = items[k];
      SelectItem item = ParseItem(v_, items[k]);
      if (item.equals_form) {
        out += Text(b, item.alias_token);
        out += Emit(item.expr_first, item.expr_end, false);
        out += " AS ";
        out += v_[item.alias_token].text;
        out += Text(item.expr_end, e);
      } else {
        out += Emit(b, e, false);
      }
    }
    return out;
  }

  std::string EmitMoneyText(size_t i, size_t end) {
    size_t after = 0;
    Range inner;
    tsql::MatchMoneyText(v_, i, end, &after, &inner);
    size_t first = v_.First(inner.first, inner.second);
    size_t last = v_.Last(inner.first, inner.second);
    return std::string(kMoneyTextFunction) + "(" + Emit(first, last + 1, false) + ")";
  }

  std::string EmitCastToInt(size_t i, size_t end) {
    size_t after = 0;
    Range operand;
    tsql::MatchCastToInt(v_, i, end, &after, &operand);
    return std::string(kCastToIntFunction) + "(" + Emit(operand.first, operand.second, false) + ")";
  }

  std::vector<SourceTable> FromTables(size_t from, size_t end) const {
    std::vector<SourceTable> tables;
    bool expect_table = true;
    size_t i = v_.Next(from, end);
    while (i < end) {
      const Token& t = v_[i];
      if (IsAnyWord(t, {"where", "group", "order", "having", "union", "except", "intersect", "limit"})) break;
      if (expect_table && (IsName(t) || IsPunct(t, "("))) {
        SourceTable table;
        size_t j;
        if (IsPunct(t, "(")) {
          j = v_.Next(v_.MatchParen(i, end), end);
        } else {
          table.name = Unquote(t);
          j = v_.Next(i, end);
          while (j < end && IsPunct(v_[j], ".")) {  // schema.table: the last part names it
            size_t k = v_.Next(j, end);
            if (k >= end) break;
            table.name = Unquote(v_[k]);
            j = v_.Next(k, end);
          }
        }
        if (j < end && IsWord(v_[j], "as")) j = v_.Next(j, end);
        if (j < end && IsName(v_[j]) && !IsClauseWord(v_[j])) {
          table.alias = Unquote(v_[j]);
          j = v_.Next(j, end);
        }
        tables.push_back(std::move(table));
        expect_table = false;
        i = j;
        continue;
      }
      if (IsPunct(t, ",") || IsWord(t, "join")) expect_table = true;
      if (IsPunct(t, "(")) i = v_.MatchParen(i, end);
      i = v_.Next(i, end);
    }
    return tables;
  }

  const std::vector<DeclaredColumn>& Columns(const std::string& table) {
    auto key = AsciiLower(table);
    auto it = schema_cache_.find(key);
    if (it == schema_cache_.end())
      it = schema_cache_.emplace(key, schema_ ? schema_(table) : std::vector<DeclaredColumn>{}).first;
    return it->second;
  }

  std::string DeclaredType(const std::string& qualifier, const std::string& column,
                           const std::vector<SourceTable>& tables) {
    for (const SourceTable& t : tables) {
      if (t.name.empty()) continue;
      if (!qualifier.empty() && !EqualsIgnoreCase(qualifier, t.alias) && !EqualsIgnoreCase(qualifier, t.name))
        continue;
      for (const DeclaredColumn& c : Columns(t.name))
        if (EqualsIgnoreCase(c.name, column)) return c.type;
    }
    return {};
  }

  std::string SelectInto(size_t select, size_t into, size_t stmt_end) {
    size_t target = v_.Next(into, stmt_end);
    if (target >= stmt_end || !IsName(v_[target]))
      Raise(kErrProvider, "SELECT INTO needs a table name", std::string(sql_));
    bool temporary = v_[target].text[0] == '#';
    std::string target_sql = temporary ? QuoteName(v_[target].text) : std::string(v_[target].text);
    size_t from = v_.Next(target, stmt_end);
    std::vector<SourceTable> tables;
    if (from < stmt_end && IsWord(v_[from], "from")) tables = FromTables(from, stmt_end);

    size_t items_begin = v_.SkipSetQuantifier(select + 1, into);
    std::string quantifier = Text(select + 1, items_begin);
    std::string definitions, names, expressions, identity;
    auto append = [](std::string& list, const std::string& item) {
      if (!list.empty()) list += ", ";
      list += item;
    };
    for (Range range : v_.SplitItems(items_begin, into)) {
      SelectItem item = ParseItem(v_, range);
      std::vector<size_t> sig = v_.Significant(item.expr_first, item.expr_end);
      if (sig.empty()) Raise(kErrProvider, "SELECT INTO has an empty select item", std::string(sql_));
      std::string name = item.alias;
      std::string type;
      if (tsql::IsIdentity(v_, sig, sql_)) {
        if (name.empty()) Raise(kErrProvider, "The IDENTITY column of SELECT INTO needs a name", std::string(sql_));
        identity = QuoteName(name);
        append(definitions, identity + " INTEGER PRIMARY KEY AUTOINCREMENT");
        continue;
      }
      bool column_ref = IsName(v_[sig.back()]) && sig.size() % 2 == 1;
      for (size_t k = 1; column_ref && k < sig.size(); k += 2) column_ref = IsPunct(v_[sig[k]], ".");
      size_t after = 0;
      if (column_ref) {
        std::string column = Unquote(v_[sig.back()]);
        std::string qualifier = sig.size() >= 3 ? Unquote(v_[sig[sig.size() - 3]]) : std::string();
        if (name.empty()) name = column;
        type = DeclaredType(qualifier, column, tables);
      } else if (tsql::MatchGetDate(v_, sig[0], item.expr_end, &after) && after == item.expr_end) {
        type = "DATETIME";
      } else if (tsql::MatchMoneyText(v_, sig[0], item.expr_end, &after) && after == item.expr_end) {
        type = "CHAR(30)";
      } else if (IsWord(v_[sig[0]], "cast") && sig.size() >= 5 && IsPunct(v_[sig.back()], ")")) {
        size_t as = sig.size() - 2;
        while (as > 1 && !IsWord(v_[sig[as]], "as")) --as;
        if (as > 1) type = Text(sig[as + 1], sig.back());
      }
      if (name.empty())
        Raise(kErrProvider, "A select item of SELECT INTO has no column name: " + Text(sig.front(), sig.back() + 1),
              std::string(sql_));
      append(definitions, type.empty() ? QuoteName(name) : QuoteName(name) + " " + type);
      append(names, QuoteName(name));
      append(expressions, Emit(item.expr_first, item.expr_end, false));
    }
    if (names.empty()) {  // only the identity column: one generated row per source row
      if (identity.empty()) Raise(kErrProvider, "SELECT INTO selects no columns", std::string(sql_));
      names = identity;
      expressions = "NULL";
    }
    std::string out = "CREATE ";
    if (temporary) out += "TEMP ";
    out += "TABLE " + target_sql + " (" + definitions + ");\n";
    out += "INSERT INTO " + target_sql + " (" + names + ") SELECT" + quantifier;
    if (quantifier.empty() || quantifier.back() != ' ') out += " ";
    out += expressions;
    if (from < stmt_end) out += " " + Emit(from, stmt_end, false);
    return out;
  }

  std::string_view sql_;
  TokenView v_;
  const SchemaLookup& schema_;
  std::map<std::string, std::vector<DeclaredColumn>> schema_cache_;
};

}  // namespace

std::string Translate(std::string_view sql, const SchemaLookup& schema) { return Translator(sql, schema).Run(); }

std::vector<int> CurrentTimeColumns(std::string_view statement) {
  TokenView v(statement);
  size_t end = v.size();
  size_t select = v.First(0, end);
  if (select >= end || !IsWord(v[select], "select")) return {};
  size_t list_end = v.SelectListEnd(select + 1, end);
  std::vector<int> columns;
  std::vector<Range> items = v.SplitItems(v.SkipSetQuantifier(select + 1, list_end), list_end);
  for (size_t k = 0; k < items.size(); ++k) {
    SelectItem item = ParseItem(v, items[k]);
    std::vector<size_t> sig = v.Significant(item.expr_first, item.expr_end);
    if (!sig.empty() && IsPunct(v[sig.back()], "*")) break;  // columns after it cannot be placed
    if (sig.size() == 3 && (IsWord(v[sig[0]], kCurrentTimeFunction) || IsWord(v[sig[0]], "getdate")) &&
        IsPunct(v[sig[1]], "(") && IsPunct(v[sig[2]], ")"))
      columns.push_back(static_cast<int>(k));
  }
  return columns;
}

}  // namespace ado::sqlite
