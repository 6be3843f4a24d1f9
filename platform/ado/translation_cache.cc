#include "platform/ado/translation_cache.h"

#include <utility>

namespace ado {

std::shared_ptr<const std::string> TranslationCache::Translate(std::string_view sql, const Translator& translate) {
  if (auto it = entries_.find(sql); it != entries_.end()) return it->second;
  bool cacheable = true;
  auto translated = std::make_shared<const std::string>(translate(sql, &cacheable));
  if (!cacheable) return translated;
  if (entries_.size() >= capacity_) entries_.clear();
  entries_.emplace(std::string(sql), translated);
  return translated;
}

}  // namespace ado
