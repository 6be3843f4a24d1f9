#pragma once
// Named prepared statements of one PostgreSQL session, by statement text, least
// recently used first out. A text is prepared the second time it runs, so that texts
// built once with literals in them do not churn the server's statements.

#include <cstddef>
#include <cstdint>
#include <list>
#include <string>
#include <unordered_map>
#include <vector>

namespace ado::postgres {

class PreparedCache {
 public:
  explicit PreparedCache(size_t capacity = 256) : capacity_(capacity) {}

  // The name `sql` is prepared under; empty when it is not prepared (yet). When
  // `*prepare` comes back true the caller should prepare it now under the returned name
  // and report success with Prepared().
  std::string Lookup(const std::string& sql, bool* prepare);
  // Records that the server now holds `sql` under `name`.
  void Prepared(const std::string& sql, std::string name);
  // Forgets `sql`; its server statement joins the evicted ones.
  void Forget(const std::string& sql);
  // Names of server statements no longer wanted, for the caller to DEALLOCATE.
  std::vector<std::string>& evicted() { return evicted_; }
  size_t size() const { return entries_.size(); }

 private:
  struct Entry {
    std::string name;  // empty: seen once, not prepared
    std::list<std::string>::iterator position;
  };
  void Insert(const std::string& sql, std::string name);

  size_t capacity_;
  std::list<std::string> order_;  // most recent first
  std::unordered_map<std::string, Entry> entries_;
  std::vector<std::string> evicted_;
  uint64_t counter_ = 0;
};

}  // namespace ado::postgres
