#pragma once
// "Key=Value;Key=Value" connection strings. Keys are matched without regard to case;
// values may be quoted with double quotes.

#include <map>
#include <optional>
#include <string>
#include <string_view>

namespace ado {

class ConnectionString {
 public:
  ConnectionString() = default;
  explicit ConnectionString(std::string_view text);

  std::optional<std::string> Get(std::string_view key) const;
  std::string GetOr(std::string_view key, std::string_view fallback) const;
  const std::string& text() const { return text_; }

  // "Provider=SQLite;Data Source=PATH" for a plain path.
  static std::string ForSqliteFile(std::string_view path);

 private:
  std::string text_;
  std::map<std::string, std::string> values_;  // lower-cased key -> value
};

}  // namespace ado
