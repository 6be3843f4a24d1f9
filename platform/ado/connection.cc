#include "platform/ado/connection.h"

#include "platform/ado/error.h"
#include "platform/ado/recordset.h"

namespace ado {

namespace {

void RollbackQuietly(Session& session) {
  // Closing must not fail: a rollback that cannot happen leaves nothing to undo.
  try {
    if (session.InTransaction()) session.Rollback();
  } catch (const std::exception&) {
  }
}

}  // namespace

com::Ptr<Connection> Connection::Create() { return com::Ptr<Connection>::Attach(new Connection()); }

Connection::~Connection() {
  if (session_) RollbackQuietly(*session_);
}

void Connection::SetConnectionString(std::string text) {
  if (session_) Raise(kErrOperationNotAllowed, "Operation is not allowed when the object is open.");
  connection_string_ = std::move(text);
}

void Connection::Open(std::string_view connection_string, std::string_view, std::string_view, int32_t) {
  if (session_) Raise(kErrOperationNotAllowed, "Operation is not allowed when the object is open.");
  if (!connection_string.empty()) connection_string_ = std::string(connection_string);
  session_ = OpenSession(ado::ConnectionString(connection_string_), connection_timeout_);
}

void Connection::Close() {
  if (!session_) Raise(kErrObjectClosed);
  RollbackQuietly(*session_);
  session_.reset();
}

Session& Connection::session() {
  if (!session_) Raise(kErrConnectionUnusable);
  return *session_;
}

int32_t Connection::BeginTrans() {
  session().Begin();
  return 1;
}

void Connection::CommitTrans() { session().Commit(); }

void Connection::RollbackTrans() { session().Rollback(); }

com::Ptr<Recordset> Connection::Execute(std::string_view sql, int64_t* records_affected, int32_t options) {
  bool no_records = options != adOptionUnspecified && (options & adExecuteNoRecords) != 0;
  ExecuteResult result = session().ExecuteText(sql, {}, command_timeout_, !no_records);
  if (records_affected) *records_affected = result.records_affected;
  if (no_records) return {};
  com::Ptr<Recordset> rs = Recordset::Create();
  rs->SetCursorLocation(cursor_location_);
  rs->OpenResult(std::move(result));
  return rs;
}

}  // namespace ado
