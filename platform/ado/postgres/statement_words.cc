#include "platform/ado/postgres/statement_words.h"

#include "platform/ado/text.h"

namespace ado::postgres {

std::string_view LeadingWord(std::string_view sql) {
  size_t i = 0;
  while (i < sql.size() && (sql[i] == ' ' || sql[i] == '\t' || sql[i] == '\n' || sql[i] == '\r' || sql[i] == '('))
    ++i;
  size_t j = i;
  while (j < sql.size() && ((sql[j] >= 'a' && sql[j] <= 'z') || (sql[j] >= 'A' && sql[j] <= 'Z'))) ++j;
  return sql.substr(i, j - i);
}

bool Preparable(std::string_view sql) {
  std::string_view word = LeadingWord(sql);
  for (std::string_view w : {"select", "insert", "update", "delete", "with", "values"})
    if (EqualsIgnoreCase(word, w)) return true;
  return false;
}

bool TransactionControl(std::string_view sql) {
  std::string_view word = LeadingWord(sql);
  for (std::string_view w : {"savepoint", "release", "rollback", "commit", "begin", "start", "end", "abort"})
    if (EqualsIgnoreCase(word, w)) return true;
  return false;
}

}  // namespace ado::postgres
