#include "suite/resource_table.h"

#include <charconv>
#include <stdexcept>

const char* SuiteMessagesResource();

namespace suite {

ResourceTable ResourceTable::Parse(std::string_view text) {
  ResourceTable table;
  enum class Section { kNone, kMap, kText } section = Section::kNone;
  int line_no = 0;
  while (!text.empty()) {
    size_t end = text.find('\n');
    std::string_view line = text.substr(0, end);
    text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
    ++line_no;
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (line.empty() || line.front() == '#') continue;
    if (line == "[map]") {
      section = Section::kMap;
      continue;
    }
    if (line == "[text]") {
      section = Section::kText;
      continue;
    }
    size_t eq = line.find('=');
    if (eq == std::string_view::npos || eq == 0 || section == Section::kNone)
      throw std::runtime_error("resource file: malformed line " + std::to_string(line_no));
    std::string_view name = line.substr(0, eq), value = line.substr(eq + 1);
    if (section == Section::kMap) {
      int32_t number = 0;
      auto [ptr, ec] = std::from_chars(name.data(), name.data() + name.size(), number);
      if (ec != std::errc() || ptr != name.data() + name.size())
        throw std::runtime_error("resource file: bad message number at line " + std::to_string(line_no));
      table.keys_[number] = std::string(value);
    } else {
      table.texts_[std::string(name)] = std::string(value);
    }
  }
  return table;
}

const ResourceTable& ResourceTable::Builtin() {
  static const ResourceTable table = Parse(SuiteMessagesResource());
  return table;
}

std::string ResourceTable::KeyOf(int32_t number) const {
  auto it = keys_.find(number);
  return it != keys_.end() ? it->second : "mom.message." + std::to_string(number);
}

std::optional<std::string> ResourceTable::TextOf(std::string_view key) const {
  auto it = texts_.find(key);
  if (it == texts_.end()) return std::nullopt;
  return it->second;
}

}  // namespace suite
