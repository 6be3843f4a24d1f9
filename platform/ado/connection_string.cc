#include "platform/ado/connection_string.h"

#include "platform/ado/text.h"

namespace ado {

namespace {

// Reads one value starting at `pos` (after '='), stopping at ';' outside quotes.
std::string ReadValue(std::string_view text, size_t& pos) {
  while (pos < text.size() && (text[pos] == ' ' || text[pos] == '\t')) ++pos;
  if (pos < text.size() && (text[pos] == '"' || text[pos] == '\'')) {
    char quote = text[pos++];
    std::string value;
    while (pos < text.size()) {
      char c = text[pos++];
      if (c == quote) {
        if (pos < text.size() && text[pos] == quote) {  // doubled quote stands for itself
          value += quote;
          ++pos;
          continue;
        }
        break;
      }
      value += c;
    }
    while (pos < text.size() && text[pos] != ';') ++pos;
    return value;
  }
  size_t end = text.find(';', pos);
  if (end == std::string_view::npos) end = text.size();
  std::string value(TrimBlanks(text.substr(pos, end - pos)));
  pos = end;
  return value;
}

}  // namespace

ConnectionString::ConnectionString(std::string_view text) : text_(text) {
  size_t pos = 0;
  while (pos < text.size()) {
    size_t eq = text.find('=', pos);
    size_t semi = text.find(';', pos);
    if (eq == std::string_view::npos || (semi != std::string_view::npos && semi < eq)) {
      // A segment without '=' carries nothing.
      if (semi == std::string_view::npos) break;
      pos = semi + 1;
      continue;
    }
    std::string key = AsciiLower(TrimBlanks(text.substr(pos, eq - pos)));
    pos = eq + 1;
    std::string value = ReadValue(text, pos);
    if (!key.empty()) values_[key] = std::move(value);
    if (pos < text.size()) ++pos;  // the ';'
  }
}

std::optional<std::string> ConnectionString::Get(std::string_view key) const {
  auto it = values_.find(AsciiLower(TrimBlanks(key)));
  if (it == values_.end()) return std::nullopt;
  return it->second;
}

std::string ConnectionString::GetOr(std::string_view key, std::string_view fallback) const {
  auto v = Get(key);
  return v ? *v : std::string(fallback);
}

std::string ConnectionString::ForSqliteFile(std::string_view path) {
  bool needs_quotes = path.find_first_of(";\"'") != std::string_view::npos ||
                      (!path.empty() && (path.front() == ' ' || path.back() == ' '));
  std::string out = "Provider=SQLite;Data Source=";
  if (!needs_quotes) return out.append(path);
  out += '"';
  for (char c : path) {
    if (c == '"') out += '"';
    out += c;
  }
  out += '"';
  return out;
}

}  // namespace ado
