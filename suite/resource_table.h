#pragma once
// The resource server's message table: numbers map to keys, keys to texts.

#include <map>
#include <optional>
#include <string>
#include <string_view>

namespace suite {

class ResourceTable {
 public:
  // Parses the resource file text (see resources/messages.res for the form).
  // Throws std::runtime_error naming the line of a malformed entry.
  static ResourceTable Parse(std::string_view text);
  // The table compiled into the suite.
  static const ResourceTable& Builtin();

  // The key of a message number; numbers without an entry map to "mom.message.N".
  std::string KeyOf(int32_t number) const;
  std::optional<std::string> TextOf(std::string_view key) const;

 private:
  std::map<int32_t, std::string> keys_;
  std::map<std::string, std::string, std::less<>> texts_;
};

}  // namespace suite
