#pragma once
// The translations of one connection, kept by the component's SQL text: a write-back
// or a generated line sends the same few texts again and again, and rewriting one
// costs more than running it. Owned by a session, so it is per connection (and thus
// per thread); nothing is shared.

#include <cstddef>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>

namespace ado {

class TranslationCache {
 public:
  // Makes the translation of a text; sets *cacheable to false when the result depends
  // on more than the text (the schema as it stands), so it must not be kept.
  using Translator = std::function<std::string(std::string_view sql, bool* cacheable)>;

  explicit TranslationCache(size_t capacity = 256) : capacity_(capacity) {}

  // The translation of `sql`: the kept one, or `translate`'s (kept when cacheable; the
  // cache starts afresh once it holds `capacity` texts). Shared, so that it outlives a
  // clearing by a statement run while it is in use.
  std::shared_ptr<const std::string> Translate(std::string_view sql, const Translator& translate);

  size_t size() const { return entries_.size(); }

 private:
  struct Hash {
    using is_transparent = void;
    size_t operator()(std::string_view s) const { return std::hash<std::string_view>()(s); }
  };
  size_t capacity_;
  std::unordered_map<std::string, std::shared_ptr<const std::string>, Hash, std::equal_to<>> entries_;
};

}  // namespace ado
