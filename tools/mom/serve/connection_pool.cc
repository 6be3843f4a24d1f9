#include "tools/mom/serve/connection_pool.h"

#include <utility>

namespace mom_service {

ConnectionPool::Lease::Lease(ConnectionPool* pool, com::Ptr<ado::Connection> connection, bool reused)
    : pool_(pool), connection_(std::move(connection)), reused_(reused) {}

ConnectionPool::Lease::Lease(Lease&& other) noexcept
    : pool_(other.pool_), connection_(std::move(other.connection_)), reused_(other.reused_), discard_(other.discard_) {
  other.pool_ = nullptr;
}

ConnectionPool::Lease::~Lease() {
  if (pool_ && connection_) pool_->GiveBack(std::move(connection_), discard_);
}

ConnectionPool::ConnectionPool(std::string connection_string, size_t max_idle)
    : connection_string_(std::move(connection_string)), max_idle_(max_idle) {}

ConnectionPool::Lease ConnectionPool::Acquire() {
  {
    std::lock_guard lock(mutex_);
    if (!idle_.empty()) {
      com::Ptr<ado::Connection> connection = std::move(idle_.back());
      idle_.pop_back();
      return Lease(this, std::move(connection), true);
    }
  }
  com::Ptr<ado::Connection> connection = ado::Connection::Create();
  connection->Open(connection_string_);
  std::lock_guard lock(mutex_);
  ++open_;
  return Lease(this, std::move(connection), false);
}

size_t ConnectionPool::OpenCount() const {
  std::lock_guard lock(mutex_);
  return open_;
}

void ConnectionPool::GiveBack(com::Ptr<ado::Connection> connection, bool discard) {
  // A transaction left open (a request that ended half-way) is not handed to the next.
  if (!discard && connection->State() == ado::adStateOpen && connection->session().InTransaction()) {
    try {
      connection->RollbackTrans();
    } catch (...) {
      discard = true;
    }
  }
  discard = discard || connection->State() != ado::adStateOpen;
  std::lock_guard lock(mutex_);
  if (discard || idle_.size() >= max_idle_) {
    --open_;
    return;  // closed when `connection` goes out of scope
  }
  idle_.push_back(std::move(connection));
}

}  // namespace mom_service
