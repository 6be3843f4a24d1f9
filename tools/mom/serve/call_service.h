#pragma once
// What the service does with one request, apart from HTTP: binds the JSON arguments
// to a clsMOM operation, runs it as `mom call` does, keeps its idempotency key, and
// says what to answer.
//
// Transactions. An operation that takes a connection (oConn, cn) runs in a
// transaction of its own on a pooled connection: committed when it returns true,
// rolled back otherwise. Its idempotency key is written in that transaction, so the
// key is stored exactly when the call's effects are; a refused or failed call leaves
// no key and its retry runs again. Operations that open connections of their own
// (STPullfromMORM, STPullfromMORP, PushMoFromSo) commit apart from the service: their
// key is claimed before the call and their answer, whatever it is, stored after it,
// so that no retry runs them again.
//
// Answers: 200 the outcome {"result": ..., every by-reference argument}, as `mom call`
// prints it; 409 a refusal because the row changed (message 10001), with the row's
// current token under "currentKrts" (null when the row is gone), or a key whose call
// is still running; 400 bad arguments with `mom call`'s descriptions; 404 an unknown
// operation; 422 a key reused for another request; 500 an error status
// {"error":{"number","description"}}; 501 the engineering-change dialog, which needs
// a user at the screen. Every 4xx/5xx body is {"error": {...}}.
//
// Thread-safe: requests run on any number of threads at once. Each thread calls its
// own clsMOM instance (the component is apartment-threaded).

#include <cstdint>
#include <string>

#include "tools/mom/serve/connection_pool.h"
#include "tools/mom/serve/idempotency_store.h"
#include "tools/mom/serve/message_catalog.h"

namespace mom_service {

struct ServiceSettings {
  std::string connection_string;  // the database
  std::string user = "admin";     // the login object's cUserId
  std::string accounting_set = "001";
  int64_t key_ttl_seconds = 24 * 3600;
  size_t max_idle_connections = 8;
};

struct CallRequest {
  std::string operation;        // as the path names it
  std::string body;             // a JSON object of named arguments; empty is {}
  std::string idempotency_key;  // empty: none
};

struct CallAnswer {
  int status = 200;
  std::string body;       // JSON
  bool replayed = false;  // answered from the stored answer of its key
  // For logs and metrics:
  std::string operation;  // the declared name; empty when there is no such operation
  std::string result;     // "true", "false", "error" (an error status), "refused" (not called)
  std::string message;    // a false result's message label (MessageCatalog), if any
  std::string reason;     // why a request was refused, or the error status's description
  bool stale_token = false;
};

// Longest Idempotency-Key accepted (printable ASCII).
inline constexpr size_t kMaxKeyLength = 255;

class CallService {
 public:
  // Opens the database and creates the idempotency table in it when it lacks it;
  // raises com::Error (and std::runtime_error) when it cannot.
  explicit CallService(ServiceSettings settings);

  CallAnswer Call(const CallRequest& request);

  // Whether the database answers; `why` gets the error when it does not.
  bool Healthy(std::string* why);

  // Deletes expired keys; returns how many.
  int64_t PurgeExpiredKeys();

  const ServiceSettings& settings() const { return settings_; }
  const MessageCatalog& messages() const { return messages_; }

 private:
  const ServiceSettings settings_;
  ConnectionPool pool_;
  IdempotencyStore store_;
  MessageCatalog messages_;
};

}  // namespace mom_service
