// The spelling of result column names: PostgreSQL folds unquoted names to lower case,
// the component reads them as the statement or the application spells them.
#include <algorithm>
#include <string>
#include <vector>

#include "platform/ado/postgres/pg_session.h"
#include "platform/ado/text.h"

namespace ado::postgres {

namespace {

bool HasUpper(std::string_view s) {
  return std::any_of(s.begin(), s.end(), [](char c) { return c >= 'A' && c <= 'Z'; });
}

}  // namespace

// Column names in lower case get their spelling as the embedded database gives it:
// an alias as the statement writes it ("d.iQuantity as iquantity" is iquantity), a
// column as the application spells it (the dictionary), else as the statement writes it.
void PostgresSession::RestoreSpelling(std::vector<ColumnInfo>& columns, const Translation* tr) {
  for (ColumnInfo& c : columns) {
    if (HasUpper(c.name)) continue;
    if (tr) {
      auto it = tr->aliases.find(c.name);
      if (it != tr->aliases.end()) {
        c.name = it->second;
        continue;
      }
    }
    const auto& dictionary = Dictionary();
    if (auto it = dictionary.find(c.name); it != dictionary.end()) {
      c.name = it->second;
      continue;
    }
    if (tr) {
      auto it = tr->spellings.find(c.name);
      if (it != tr->spellings.end()) c.name = it->second;
    }
  }
}

// The names the database keeps spelled, in the table the application names for them
// (application_catalog.h), loaded once per session. While the table does not exist it
// is looked for again after statements that create things.
const std::unordered_map<std::string, std::string>& PostgresSession::Dictionary() {
  if (dictionary_loaded_ || !dictionary_recheck_) return dictionary_;
  dictionary_recheck_ = false;
  const std::string& table = catalog_->spelling_table;
  if (table.empty()) {
    dictionary_loaded_ = true;
    return dictionary_;
  }
  Outcome exists;
  Statement probe{"SELECT to_regclass(" + QuoteLiteral(table) + ") IS NOT NULL", {}, false};
  RunStatement(probe, {}, true, exists);
  if (!exists.rows || exists.rows->rows().empty() || !exists.rows->rows()[0][0].ToBool()) return dictionary_;
  Outcome names;
  Statement load{"SELECT name FROM " + table, {}, false};
  RunStatement(load, {}, true, names);
  for (const auto& r : names.rows->rows()) {
    if (r.empty() || r[0].is_null()) continue;
    std::string name = r[0].ToString();
    dictionary_.try_emplace(AsciiLower(name), name);
  }
  dictionary_loaded_ = true;
  return dictionary_;
}

}  // namespace ado::postgres
