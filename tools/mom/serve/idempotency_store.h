#pragma once
// Idempotency keys in the service's database (table sys_idempotency): which requests
// were executed and what they were answered. Every function works on the connection
// it is given, inside whatever transaction is open there, so that a key is written in
// the same transaction as the effects of its call.
//
// A key's row: the operation, the request as the service bound it, the HTTP status
// and body of the answer (status 0: claimed by a call still running, for calls that
// commit on connections of their own), and when it was claimed. A row older than the
// store's time to live counts as absent.

#include <cstdint>
#include <optional>
#include <string>

#include "platform/ado/connection.h"

namespace mom_service {

struct StoredAnswer {
  std::string operation;
  std::string request;
  int status = 0;  // 0: the call that claimed the key has not finished
  std::string answer;
  int64_t created_at = 0;
};

class IdempotencyStore {
 public:
  // Keys expire `ttl_seconds` after they were claimed.
  explicit IdempotencyStore(int64_t ttl_seconds) : ttl_seconds_(ttl_seconds) {}

  int64_t ttl_seconds() const { return ttl_seconds_; }

  // The live row of `key`; an expired row is deleted and counts as absent.
  std::optional<StoredAnswer> Find(ado::Connection& connection, const std::string& key, int64_t now) const;

  // Claims `key` for a call: true when this transaction now holds it; false when
  // another one stored or claimed it first (then Find answers with its row once that
  // one committed). Waits while a concurrent transaction holds the same key.
  bool Claim(ado::Connection& connection, const std::string& key, const std::string& operation,
             const std::string& request, int64_t now) const;

  // Records the answer of a claimed key.
  void Complete(ado::Connection& connection, const std::string& key, int status, const std::string& answer) const;

  // Deletes every expired row; returns how many.
  int64_t Purge(ado::Connection& connection, int64_t now) const;

 private:
  int64_t ttl_seconds_;
};

// Seconds since 1970 (UTC), the clock keys are claimed and expire by.
int64_t UnixNow();

}  // namespace mom_service
