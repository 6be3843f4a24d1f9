#pragma once
// Connection: opens a provider session from a connection string and runs statements
// and transactions on it. Releasing the last reference closes it; closing with a
// transaction open rolls the transaction back.

#include <memory>
#include <string>
#include <string_view>

#include "platform/ado/provider.h"
#include "platform/ado/types.h"
#include "platform/com/object.h"
#include "platform/com/ptr.h"

namespace ado {

class Recordset;

struct IConnection : com::IUnknown {
  static constexpr com::Guid kIid{0x00000550, 0x0000, 0x0010, {0x80, 0x00, 0x00, 0xAA, 0x00, 0x6D, 0x2E, 0xA4}};

 protected:
  ~IConnection() = default;
};

class Connection final : public com::Object<IConnection> {
 public:
  using Interface = IConnection;
  static constexpr com::Guid kIid = IConnection::kIid;

  static com::Ptr<Connection> Create();

  const std::string& ConnectionString() const { return connection_string_; }
  void SetConnectionString(std::string text);
  int32_t ConnectionTimeout() const { return connection_timeout_; }
  void SetConnectionTimeout(int32_t seconds) { connection_timeout_ = seconds; }
  int32_t CommandTimeout() const { return command_timeout_; }
  void SetCommandTimeout(int32_t seconds) { command_timeout_ = seconds; }
  int32_t CursorLocation() const { return cursor_location_; }
  void SetCursorLocation(int32_t location) { cursor_location_ = location; }

  // Empty arguments keep the ConnectionString property. Raises when already open.
  void Open(std::string_view connection_string = {}, std::string_view user = {},
            std::string_view password = {}, int32_t options = -1);
  void Close();
  int32_t State() const { return session_ ? adStateOpen : adStateClosed; }

  // Returns the nesting level (1).
  int32_t BeginTrans();
  void CommitTrans();
  void RollbackTrans();

  // Runs a statement in the component's dialect; returns its rows (a closed recordset
  // when it yields none, null with adExecuteNoRecords).
  com::Ptr<Recordset> Execute(std::string_view sql, int64_t* records_affected = nullptr,
                              int32_t options = -1);

  // The open session; raises 3709 when the connection is closed.
  Session& session();

 private:
  friend class com::Object<IConnection>;
  Connection() = default;
  ~Connection() override;

  std::string connection_string_;
  int32_t connection_timeout_ = kDefaultConnectionTimeout;
  int32_t command_timeout_ = kDefaultCommandTimeout;
  int32_t cursor_location_ = adUseServer;
  std::unique_ptr<Session> session_;
};

}  // namespace ado
