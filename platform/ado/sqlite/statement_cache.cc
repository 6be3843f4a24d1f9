#include "platform/ado/sqlite/statement_cache.h"

#include <sqlite3.h>

#include <utility>

#include "platform/ado/error.h"

namespace ado::sqlite {

void StatementDeleter::operator()(sqlite3_stmt* stmt) const { sqlite3_finalize(stmt); }

StatementCache::Lease::Lease(Lease&& other) noexcept
    : stmt_(std::exchange(other.stmt_, nullptr)),
      in_use_(std::exchange(other.in_use_, nullptr)),
      owned_(std::move(other.owned_)),
      consumed_(other.consumed_),
      columns_(std::exchange(other.columns_, nullptr)),
      own_columns_(std::move(other.own_columns_)) {}

StatementCache::Lease::~Lease() {
  if (stmt_) {
    sqlite3_reset(stmt_);
    sqlite3_clear_bindings(stmt_);
  }
  if (in_use_) *in_use_ = false;
}

void StatementCache::EvictIdle() {
  for (auto it = entries_.begin(); it != entries_.end();) {
    if (it->second.in_use)
      ++it;
    else
      it = entries_.erase(it);
  }
}

StatementCache::Lease StatementCache::Prepare(std::string_view sql) {
  Lease lease;
  auto it = entries_.find(sql);
  if (it != entries_.end() && !it->second.in_use) {
    it->second.in_use = true;
    lease.stmt_ = it->second.stmt.get();
    lease.in_use_ = &it->second.in_use;
    lease.consumed_ = it->second.consumed;
    lease.columns_ = &it->second.columns;
    return lease;
  }
  sqlite3_stmt* raw = nullptr;
  const char* tail = nullptr;
  int rc = sqlite3_prepare_v2(db_, sql.data(), static_cast<int>(sql.size()), &raw, &tail);
  StatementPtr stmt(raw);
  if (rc != SQLITE_OK) throw Error(kErrProvider, sqlite3_errmsg(db_), sqlite3_extended_errcode(db_), std::string(sql));
  lease.consumed_ = tail ? static_cast<size_t>(tail - sql.data()) : sql.size();
  lease.stmt_ = stmt.get();
  if (!stmt || it != entries_.end()) {
    // Nothing to keep, or the cached one is busy (a statement run while it is stepped).
    lease.owned_ = std::move(stmt);
    return lease;
  }
  if (entries_.size() >= kMaxEntries) EvictIdle();
  Entry& entry = entries_[std::string(sql)];
  entry.stmt = std::move(stmt);
  entry.consumed = lease.consumed_;
  entry.in_use = true;
  lease.in_use_ = &entry.in_use;
  lease.columns_ = &entry.columns;
  return lease;
}

}  // namespace ado::sqlite
