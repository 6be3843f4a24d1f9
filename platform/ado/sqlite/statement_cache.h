#pragma once
// Prepared statements of one connection, kept by their SQL text so that a statement
// run again is not compiled again.

#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

struct sqlite3;
struct sqlite3_stmt;

namespace ado::sqlite {

struct StatementDeleter {
  void operator()(sqlite3_stmt* stmt) const;
};
using StatementPtr = std::unique_ptr<sqlite3_stmt, StatementDeleter>;

class StatementCache {
 public:
  // A statement lent for one run; giving it back resets it and clears its bindings.
  class Lease {
   public:
    Lease() = default;
    Lease(Lease&& other) noexcept;
    Lease& operator=(Lease&&) = delete;
    ~Lease();
    // Null when the text holds no statement (only blanks, comments or ';').
    sqlite3_stmt* get() const { return stmt_; }
    // Bytes of the text the statement covers; the next statement starts there.
    size_t consumed() const { return consumed_; }
    // The result columns that are the current time, worked out from the text once per
    // cached statement (it is the text's alone): empty until the caller fills it.
    std::optional<std::vector<int>>& current_time_columns() { return current_time_ ? *current_time_ : own_current_time_; }

   private:
    friend class StatementCache;
    sqlite3_stmt* stmt_ = nullptr;
    bool* in_use_ = nullptr;  // the cache entry's flag, when cached
    StatementPtr owned_;      // a statement the cache could not lend from its entries
    size_t consumed_ = 0;
    std::optional<std::vector<int>>* current_time_ = nullptr;  // the cache entry's, when cached
    std::optional<std::vector<int>> own_current_time_;
  };

  explicit StatementCache(sqlite3* db) : db_(db) {}
  StatementCache(const StatementCache&) = delete;
  StatementCache& operator=(const StatementCache&) = delete;

  // The first statement of `sql`. Raises ado::Error with SQLite's message when it does
  // not compile.
  Lease Prepare(std::string_view sql);
  size_t size() const { return entries_.size(); }

 private:
  struct Entry {
    StatementPtr stmt;
    size_t consumed = 0;
    bool in_use = false;
    std::optional<std::vector<int>> current_time;
  };
  static constexpr size_t kMaxEntries = 200;

  void EvictIdle();

  sqlite3* db_;
  std::unordered_map<std::string, Entry> entries_;
};

}  // namespace ado::sqlite
