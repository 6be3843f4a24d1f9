#include "platform/ado/sqlite/dialect.h"

#include <cstdio>
#include <map>

#include "platform/ado/error.h"
#include "platform/ado/text.h"
#include "platform/ado/tsql/dialect_hooks.h"
#include "platform/ado/tsql/rewriter.h"

namespace ado::sqlite {

namespace {

using tsql::IsAnyWord;
using tsql::IsName;
using tsql::IsPunct;
using tsql::IsWord;
using tsql::ParseItem;
using tsql::QuoteName;
using tsql::Range;
using tsql::SelectItem;
using tsql::Token;
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

// The tables of the FROM clause at `from`, whose declared column types SELECT INTO copies.
std::vector<SourceTable> FromTables(const TokenView& v, size_t from, size_t end) {
  std::vector<SourceTable> tables;
  bool expect_table = true;
  size_t i = v.Next(from, end);
  while (i < end) {
    const Token& t = v[i];
    if (IsAnyWord(t, {"where", "group", "order", "having", "union", "except", "intersect", "limit"})) break;
    if (expect_table && (IsName(t) || IsPunct(t, "("))) {
      SourceTable table;
      size_t j;
      if (IsPunct(t, "(")) {
        j = v.Next(v.MatchParen(i, end), end);
      } else {
        table.name = Unquote(t);
        j = v.Next(i, end);
        while (j < end && IsPunct(v[j], ".")) {  // schema.table: the last part names it
          size_t k = v.Next(j, end);
          if (k >= end) break;
          table.name = Unquote(v[k]);
          j = v.Next(k, end);
        }
      }
      if (j < end && IsWord(v[j], "as")) j = v.Next(j, end);
      if (j < end && IsName(v[j]) && !IsClauseWord(v[j])) {
        table.alias = Unquote(v[j]);
        j = v.Next(j, end);
      }
      tables.push_back(std::move(table));
      expect_table = false;
      i = j;
      continue;
    }
    if (IsPunct(t, ",") || IsWord(t, "join")) expect_table = true;
    if (IsPunct(t, "(")) i = v.MatchParen(i, end);
    i = v.Next(i, end);
  }
  return tables;
}

// SQLite takes T-SQL's quoted names, type names, aliases and "?" markers as written;
// the component's functions are its own (sql_functions.h).
class Hooks final : public tsql::DialectHooks {
 public:
  explicit Hooks(const SchemaLookup& schema) : schema_(schema) {}

  std::string MoneyText(std::string_view x) const override {
    return std::string(kMoneyTextFunction) + "(" + std::string(x) + ")";
  }
  std::string CurrentTime() const override { return std::string(kCurrentTimeFunction) + "()"; }
  std::string CastToInt(std::string_view x) const override {
    return std::string(kCastToIntFunction) + "(" + std::string(x) + ")";
  }
  std::string SessionTable(const Token& name) const override { return QuoteName(Unquote(name)); }
  std::string QuotedName(const Token& name) const override { return std::string(name.text); }
  std::string Alias(const Token& alias, bool) const override { return std::string(alias.text); }
  std::string_view TypeName(const Token&) const override { return {}; }
  std::string Parameter(const Token& marker, size_t) const override { return std::string(marker.text); }
  bool IsReservedColumn(const TokenView&, size_t, size_t) const override { return false; }
  std::string ReservedColumn(const Token& word) const override { return std::string(word.text); }
  void SelectInto(tsql::Rewriter& r, const tsql::SelectInto& s) override;

 private:
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

  // The declared type of a new column: a copied column's own, else the type the
  // expression evidently has; empty when neither is known.
  std::string ItemType(const TokenView& v, const SelectItem& item, const std::vector<SourceTable>& tables) {
    std::vector<size_t> sig = v.Significant(item.expr_first, item.expr_end);
    size_t after = 0;
    if (tsql::IsColumnRef(v, sig)) {
      std::string qualifier = sig.size() >= 3 ? Unquote(v[sig[sig.size() - 3]]) : std::string();
      return DeclaredType(qualifier, Unquote(v[sig.back()]), tables);
    }
    if (tsql::MatchGetDate(v, sig[0], item.expr_end, &after) && after == item.expr_end) return "DATETIME";
    if (tsql::MatchMoneyText(v, sig[0], item.expr_end, &after) && after == item.expr_end) return "CHAR(30)";
    if (IsWord(v[sig[0]], "cast") && sig.size() >= 5 && IsPunct(v[sig.back()], ")")) {
      size_t as = sig.size() - 2;
      while (as > 1 && !IsWord(v[sig[as]], "as")) --as;
      if (as > 1) return v.Text(sig[as + 1], sig.back());
    }
    return {};
  }

  const SchemaLookup& schema_;
  std::map<std::string, std::vector<DeclaredColumn>> schema_cache_;
};

// CREATE [TEMP] TABLE target (the items' columns with their declared types, IDENTITY
// as an autoincrement key); INSERT INTO target (...) SELECT items FROM ...
void Hooks::SelectInto(tsql::Rewriter& r, const tsql::SelectInto& s) {
  const TokenView& v = r.tokens();
  std::string target;
  for (size_t part : s.target) {
    if (!target.empty()) target += ".";
    target += tsql::IsSessionName(v[part]) ? SessionTable(v[part]) : std::string(v[part].text);
  }
  std::vector<SourceTable> tables;
  if (s.rest < s.end && IsWord(v[s.rest], "from")) tables = FromTables(v, s.rest, s.end);

  std::string definitions, names, identity;
  auto append = [](std::string& list, const std::string& item) {
    if (!list.empty()) list += ", ";
    list += item;
  };
  for (size_t k = 0; k < s.items.size(); ++k) {
    std::string name = QuoteName(Unquote(v[s.name_tokens[k]]));
    if (static_cast<int>(k) == s.identity) {
      identity = name;
      append(definitions, identity + " INTEGER PRIMARY KEY AUTOINCREMENT");
      continue;
    }
    std::string type = ItemType(v, s.items[k], tables);
    append(definitions, type.empty() ? name : name + " " + type);
    append(names, name);
  }
  if (names.empty()) names = identity;  // only the identity column: one generated row per source row
  r.Begin().sql = std::string("CREATE ") + (s.temporary ? "TEMP " : "") + "TABLE " + target + " (" + definitions + ")";

  tsql::Statement& insert = r.Begin();
  std::string quantifier = v.Text(s.select + 1, s.items_begin);
  insert.sql = "INSERT INTO " + target + " (" + names + ") SELECT" + quantifier;
  if (quantifier.empty() || quantifier.back() != ' ') insert.sql += " ";
  std::string expressions;
  for (size_t k = 0; k < s.items.size(); ++k)
    if (static_cast<int>(k) != s.identity) append(expressions, r.Emit(s.items[k].expr_first, s.items[k].expr_end));
  insert.sql += expressions.empty() ? "NULL" : expressions;
  if (s.rest < s.end) insert.sql += " " + r.Emit(s.rest, s.end);
}

}  // namespace

std::string Translate(std::string_view sql, const SchemaLookup& schema) {
  Hooks hooks(schema);
  return tsql::Rewriter(sql, hooks).Run().Text();
}

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
