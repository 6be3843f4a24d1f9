#pragma once
// Connections of the service to its database, kept open between requests. A request
// leases one for its call; the lease gives it back when it ends, unless the request
// found it broken.
//
// Thread-safe: leases are taken and given back from any thread. A connection is used
// by one lease at a time.

#include <cstddef>
#include <mutex>
#include <string>
#include <vector>

#include "platform/ado/connection.h"

namespace mom_service {

class ConnectionPool {
 public:
  class Lease {
   public:
    Lease(Lease&& other) noexcept;
    Lease& operator=(Lease&&) = delete;
    Lease(const Lease&) = delete;
    ~Lease();

    ado::Connection& operator*() const { return *connection_; }
    ado::Connection* operator->() const { return connection_.get(); }
    const com::Ptr<ado::Connection>& get() const { return connection_; }

    // The connection is not given back: it is released (closed) with the lease.
    void Discard() { discard_ = true; }
    // Whether the connection served earlier leases (and may have gone stale since).
    bool reused() const { return reused_; }

   private:
    friend class ConnectionPool;
    Lease(ConnectionPool* pool, com::Ptr<ado::Connection> connection, bool reused);
    ConnectionPool* pool_;
    com::Ptr<ado::Connection> connection_;
    bool reused_;
    bool discard_ = false;
  };

  // Keeps at most `max_idle` connections open while they are not leased.
  ConnectionPool(std::string connection_string, size_t max_idle);

  const std::string& connection_string() const { return connection_string_; }

  // An idle connection, or a new one; raises the data layer's error when the database
  // cannot be opened.
  Lease Acquire();

  // Connections open now, leased or idle.
  size_t OpenCount() const;

 private:
  void GiveBack(com::Ptr<ado::Connection> connection, bool discard);

  const std::string connection_string_;
  const size_t max_idle_;
  mutable std::mutex mutex_;
  // State below is protected by mutex_.
  std::vector<com::Ptr<ado::Connection>> idle_;
  size_t open_ = 0;
};

}  // namespace mom_service
