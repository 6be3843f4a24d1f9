#pragma once
// Prepared statements of one connection, kept by their SQL text so that a statement
// run again is not compiled again.

#include <cstddef>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "platform/ado/provider.h"

struct sqlite3;
struct sqlite3_stmt;

namespace ado::sqlite {

struct StatementDeleter {
  void operator()(sqlite3_stmt* stmt) const;
};
using StatementPtr = std::unique_ptr<sqlite3_stmt, StatementDeleter>;

// The result columns of a prepared statement as far as they do not change from run to
// run: those that are the current time (the text's alone), and the declared columns,
// valid while the statement has been compiled `compilations` times (SQLite compiles a
// statement again when the schema changes).
struct StatementColumns {
  std::optional<std::vector<int>> current_time;
  std::vector<ColumnInfo> declared;
  int compilations = -1;  // -1: not described yet
};

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
    // What the caller worked out about the statement's result columns, kept with the
    // cached statement: empty until the caller fills it.
    StatementColumns& columns() { return columns_ ? *columns_ : own_columns_; }

   private:
    friend class StatementCache;
    sqlite3_stmt* stmt_ = nullptr;
    bool* in_use_ = nullptr;  // the cache entry's flag, when cached
    StatementPtr owned_;      // a statement the cache could not lend from its entries
    size_t consumed_ = 0;
    StatementColumns* columns_ = nullptr;  // the cache entry's, when cached
    StatementColumns own_columns_;
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
    StatementColumns columns;
  };
  static constexpr size_t kMaxEntries = 200;

  void EvictIdle();

  // Looked up by the text as given, without copying it.
  struct Hash {
    using is_transparent = void;
    size_t operator()(std::string_view s) const { return std::hash<std::string_view>()(s); }
  };

  sqlite3* db_;
  std::unordered_map<std::string, Entry, Hash, std::equal_to<>> entries_;
};

}  // namespace ado::sqlite
