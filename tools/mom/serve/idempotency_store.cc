#include "tools/mom/serve/idempotency_store.h"

#include <chrono>
#include <initializer_list>

#include "platform/ado/command.h"
#include "platform/ado/field.h"
#include "platform/ado/recordset.h"
#include "platform/com/error.h"

namespace mom_service {

namespace {

struct Arg {
  ado::DataType type;
  com::Variant value;
};
Arg Text(const std::string& s) { return {ado::adLongVarWChar, com::Variant(s)}; }
Arg Int(int64_t v) { return {ado::adBigInt, com::Variant(v)}; }

com::Ptr<ado::Command> Statement(ado::Connection& connection, const char* sql, std::initializer_list<Arg> args) {
  com::Ptr<ado::Command> cmd = ado::Command::Create();
  cmd->command_text = sql;
  cmd->command_type = ado::adCmdText;
  cmd->SetActiveConnection(com::Ptr<ado::Connection>(&connection));
  for (const Arg& a : args) cmd->parameters().Append(cmd->CreateParameter("", a.type, ado::adParamInput, 0, a.value));
  return cmd;
}

int64_t Run(ado::Connection& connection, const char* sql, std::initializer_list<Arg> args) {
  int64_t affected = 0;
  Statement(connection, sql, args)->Execute(&affected, ado::adExecuteNoRecords);
  return affected;
}

}  // namespace

int64_t UnixNow() {
  return std::chrono::duration_cast<std::chrono::seconds>(std::chrono::system_clock::now().time_since_epoch()).count();
}

std::optional<StoredAnswer> IdempotencyStore::Find(ado::Connection& connection, const std::string& key,
                                                   int64_t now) const {
  com::Ptr<ado::Recordset> rs =
      Statement(connection,
                "select Operation, Request, HttpStatus, Answer, CreatedAt from sys_idempotency where IdemKey = ?",
                {Text(key)})
          ->Execute();
  if (rs->State() != ado::adStateOpen || rs->Eof()) return std::nullopt;
  // Fields by position: on PostgreSQL a table made by the service in an existing
  // database has no spellings of its own until the next session.
  StoredAnswer stored;
  stored.operation = rs->fields().Item(0).Value().ToString();
  stored.request = rs->fields().Item(1).Value().ToString();
  stored.status = rs->fields().Item(2).Value().ToI4();
  stored.answer = rs->fields().Item(3).Value().ToString();
  stored.created_at = rs->fields().Item(4).Value().ToI8();
  if (stored.created_at + ttl_seconds_ > now) return stored;
  Run(connection, "delete from sys_idempotency where IdemKey = ?", {Text(key)});
  return std::nullopt;
}

bool IdempotencyStore::Claim(ado::Connection& connection, const std::string& key, const std::string& operation,
                             const std::string& request, int64_t now) const {
  try {
    Run(connection,
        "insert into sys_idempotency (IdemKey, Operation, Request, HttpStatus, Answer, CreatedAt) "
        "values (?, ?, ?, 0, '', ?)",
        {Text(key), Text(operation), Text(request), Int(now)});
    return true;
  } catch (const com::Error&) {
    // A concurrent transaction that held the key has committed it: the insert is
    // refused (it undid only itself), and the row is there for Find. Any other
    // failure leaves no row, and is the caller's to report.
    com::Ptr<ado::Recordset> rs =
        Statement(connection, "select 1 from sys_idempotency where IdemKey = ?", {Text(key)})->Execute();
    if (rs->State() == ado::adStateOpen && !rs->Eof()) return false;
    throw;
  }
}

void IdempotencyStore::Complete(ado::Connection& connection, const std::string& key, int status,
                                const std::string& answer) const {
  Run(connection, "update sys_idempotency set HttpStatus = ?, Answer = ? where IdemKey = ?",
      {Int(status), Text(answer), Text(key)});
}

int64_t IdempotencyStore::Purge(ado::Connection& connection, int64_t now) const {
  return Run(connection, "delete from sys_idempotency where CreatedAt <= ?", {Int(now - ttl_seconds_)});
}

}  // namespace mom_service
