#include "platform/ado/postgres/dialect.h"

#include <algorithm>

#include "platform/ado/application_catalog.h"
#include "platform/ado/error.h"
#include "platform/ado/text.h"
#include "platform/ado/tsql/constructs.h"
#include "platform/ado/tsql/dialect_hooks.h"
#include "platform/ado/tsql/rewriter.h"

namespace ado::postgres {

namespace {

using tsql::IsPunct;
using tsql::IsWord;
using tsql::QuoteName;
using tsql::SelectItem;
using tsql::Token;
using tsql::TokenKind;
using tsql::TokenView;
using tsql::Unquote;

bool HasUpper(std::string_view s) {
  return std::any_of(s.begin(), s.end(), [](char c) { return c >= 'A' && c <= 'Z'; });
}

bool IsBracketed(const Token& t) { return t.kind == TokenKind::kQuotedName && t.text.front() == '['; }

class Hooks final : public tsql::DialectHooks {
 public:
  std::string MoneyText(std::string_view x) const override { return MoneyTextExpression(x); }
  std::string CurrentTime() const override { return "clock_timestamp()::timestamp(3)"; }
  std::string CastToInt(std::string_view x) const override {
    return std::string(tsql::kCastToIntFunction) + "(" + std::string(x) + ")";
  }
  std::string SessionTable(const Token& name) const override { return NameText(name); }
  std::string QuotedName(const Token& name) const override { return NameText(name); }
  std::string Alias(const Token& alias, bool own) const override { return AliasText(alias, own); }
  // T-SQL type names that PostgreSQL spells otherwise.
  std::string_view TypeName(const Token& word) const override {
    static constexpr std::pair<std::string_view, std::string_view> kTypes[] = {
        {"nvarchar", "varchar"},     {"nchar", "char"},
        {"ntext", "text"},           {"datetime", "timestamp(3)"},
        {"smalldatetime", "timestamp(0)"}, {"tinyint", "smallint"}};
    for (const auto& [tsql, pg] : kTypes)
      if (IsWord(word, tsql)) return pg;
    return {};
  }
  std::string Parameter(const Token&, size_t local) const override { return "$" + std::to_string(local); }
  // A column name of the application that PostgreSQL reserves (application_catalog.h:
  // OffSet). Followed by a count it is the keyword itself (OFFSET starts T-SQL's paging
  // clause); otherwise it names a column.
  bool IsReservedColumn(const TokenView& v, size_t i, size_t end) const override {
    if (v[i].kind != TokenKind::kWord || !catalog_->IsReservedColumn(v[i].text)) return false;
    size_t next = v.Next(i, end);
    return next >= end ||
           !(v[next].kind == TokenKind::kNumber || v[next].kind == TokenKind::kParameter || IsPunct(v[next], "("));
  }
  std::string ReservedColumn(const Token& word) const override { return NameText(word); }
  void SelectInto(tsql::Rewriter& r, const tsql::SelectInto& s) override;

 private:
  // A name token in PostgreSQL: [x] and #x as lower-case quoted names; so is a reserved
  // column name.
  std::string NameText(const Token& t) const {
    if (IsBracketed(t) || (t.kind == TokenKind::kWord && (t.text[0] == '#' || catalog_->IsReservedColumn(t.text))))
      return QuoteName(AsciiLower(Unquote(t)));
    return std::string(t.text);
  }

  // An alias: words stay (PostgreSQL folds them as T-SQL ignores their case), others
  // become quoted names; `quoted` keeps the spelling of a word too.
  std::string AliasText(const Token& t, bool quoted) const {
    if (t.kind == TokenKind::kWord) return quoted ? QuoteName(t.text) : std::string(t.text);
    if (t.kind == TokenKind::kString) return QuoteName(Unquote(t));
    return NameText(t);
  }

  // The select items of a SELECT INTO: the identity item as an int placeholder or left
  // out, aliases as names of the new table.
  std::string SelectListText(tsql::Rewriter& r, const tsql::SelectInto& s, bool with_identity) const {
    const TokenView& v = r.tokens();
    std::string out;
    bool first = true;
    for (size_t k = 0; k < s.items.size(); ++k) {
      const SelectItem& item = s.items[k];
      std::string text;
      if (static_cast<int>(k) == s.identity) {
        if (!with_identity) continue;
        text = "0::int AS " + AliasText(v[item.alias_token], false);
      } else {
        text = r.Emit(item.expr_first, item.expr_end);
        if (!item.alias.empty()) text += " AS " + AliasText(v[item.alias_token], false);
      }
      out += first ? " " : ", ";
      out += text;
      first = false;
    }
    return out;
  }

  std::shared_ptr<const ApplicationCatalog> catalog_ = CurrentApplicationCatalog();
};

// CREATE [TEMP] TABLE target AS SELECT items FROM ...; with IDENTITY the table is made
// empty with the identity column in its place, then filled in the select's order.
void Hooks::SelectInto(tsql::Rewriter& r, const tsql::SelectInto& s) {
  const TokenView& v = r.tokens();
  std::string target;
  for (size_t part : s.target) {
    if (!target.empty()) target += ".";
    target += NameText(v[part]);
  }
  std::string create = std::string("CREATE ") + (s.temporary ? "TEMP " : "") + "TABLE " + target + " AS ";
  auto query = [&](tsql::Statement& st, std::string head, bool with_identity) {
    st.sql = std::move(head) + "SELECT" + r.Emit(s.select + 1, s.items_begin);
    st.sql += SelectListText(r, s, with_identity);  // in text order: parameters are numbered as met
    if (s.rest < s.end) st.sql += " " + r.Emit(s.rest, s.end);
  };
  tsql::Statement& table = r.Begin();
  table.creates = true;
  query(table, create, true);
  if (s.identity < 0) return;  // a plain copy

  table.sql += "\nWITH NO DATA";
  std::string id = AliasText(v[s.items[static_cast<size_t>(s.identity)].alias_token], false);
  r.Begin().sql = "ALTER TABLE " + target + " ALTER COLUMN " + id + " SET NOT NULL, ALTER COLUMN " + id +
                  " ADD GENERATED BY DEFAULT AS IDENTITY";
  std::string names;
  for (size_t k = 0; k < s.items.size(); ++k) {
    if (static_cast<int>(k) == s.identity) continue;
    if (!names.empty()) names += ", ";
    const SelectItem& item = s.items[k];
    names += item.alias.empty() ? NameText(v[s.name_tokens[k]]) : AliasText(v[item.alias_token], false);
  }
  if (names.empty()) Raise(kErrProvider, "SELECT INTO selects only an IDENTITY column", std::string(r.sql()));
  query(r.Begin(), "INSERT INTO " + target + " (" + names + ") ", false);
}

}  // namespace

std::string Translation::Script() const {
  std::string out;
  for (const Statement& s : statements) {
    if (!out.empty()) out += "\n;\n";
    out += s.sql;
  }
  return out;
}

Translation Translate(std::string_view sql) {
  Hooks hooks;
  tsql::Rewriter rewriter(sql, hooks);
  tsql::Rewritten rewritten = rewriter.Run();
  Translation out;
  out.statements.reserve(rewritten.statements.size());
  for (tsql::Statement& s : rewritten.statements)
    out.statements.push_back({std::move(s.sql), std::move(s.params), s.creates});
  out.parameter_count = rewritten.parameter_count;
  out.aliases = std::move(rewritten.aliases);
  // Every identifier as written, for the spelling of result column names.
  const TokenView& v = rewriter.tokens();
  for (size_t i = 0; i < v.size(); ++i) {
    const Token& t = v[i];
    std::string name;
    if (t.kind == TokenKind::kWord) name = std::string(t.text);
    else if (t.kind == TokenKind::kQuotedName) name = Unquote(t);
    else continue;
    if (!HasUpper(name)) continue;
    out.spellings.try_emplace(AsciiLower(name), std::move(name));
  }
  return out;
}

std::string MoneyTextExpression(std::string_view x) {
  return "rpad(((" + std::string(x) + ")::numeric / 10000)::numeric(30,4)::text, 30)";
}

}  // namespace ado::postgres
