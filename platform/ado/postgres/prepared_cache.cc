#include "platform/ado/postgres/prepared_cache.h"

namespace ado::postgres {

std::string PreparedCache::Lookup(const std::string& sql, bool* prepare) {
  *prepare = false;
  auto it = entries_.find(sql);
  if (it == entries_.end()) {
    Insert(sql, std::string());
    return {};
  }
  order_.splice(order_.begin(), order_, it->second.position);
  if (!it->second.name.empty()) return it->second.name;
  *prepare = true;
  return "mom_s" + std::to_string(++counter_);
}

void PreparedCache::Prepared(const std::string& sql, std::string name) {
  auto it = entries_.find(sql);
  if (it == entries_.end()) {
    Insert(sql, std::move(name));
    return;
  }
  if (!it->second.name.empty() && it->second.name != name) evicted_.push_back(it->second.name);
  it->second.name = std::move(name);
}

void PreparedCache::Forget(const std::string& sql) {
  auto it = entries_.find(sql);
  if (it == entries_.end()) return;
  if (!it->second.name.empty()) evicted_.push_back(it->second.name);
  order_.erase(it->second.position);
  entries_.erase(it);
}

void PreparedCache::Insert(const std::string& sql, std::string name) {
  if (capacity_ > 0 && entries_.size() >= capacity_) Forget(order_.back());
  order_.push_front(sql);
  entries_.emplace(sql, Entry{std::move(name), order_.begin()});
}

}  // namespace ado::postgres
