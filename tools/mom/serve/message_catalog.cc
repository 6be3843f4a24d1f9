#include "tools/mom/serve/message_catalog.h"

#include <utility>

#include "suite/resource_table.h"

namespace mom_service {

MessageCatalog::MessageCatalog() {
  const suite::ResourceTable& table = suite::ResourceTable::Builtin();
  for (int32_t number = 10000; number <= 19999; ++number)
    if (auto text = table.TextOf(table.KeyOf(number))) labels_.emplace(*text, std::to_string(number));
  // Raised as error 327 by the receipt and material-issue write-backs.
  const std::pair<const char*, const char*> keys[] = {{"Z7.Z7M.VBInterface.00099", "327"},
                                                      {"Z7.Z7M.VBInterface.00100", "Z7.Z7M.VBInterface.00100"}};
  for (const auto& [key, label] : keys)
    if (auto text = table.TextOf(key)) labels_.emplace(*text, label);
  stale_row_text_ = table.TextOf(table.KeyOf(kStaleRowMessage)).value_or("");
}

std::string MessageCatalog::LabelOf(const std::string& text) const {
  auto it = labels_.find(text);
  return it == labels_.end() ? "" : it->second;
}

bool MessageCatalog::IsStaleRow(const std::string& text) const {
  return !stale_row_text_.empty() && text == stale_row_text_;
}

}  // namespace mom_service
