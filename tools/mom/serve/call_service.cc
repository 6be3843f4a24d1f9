#include "tools/mom/serve/call_service.h"

#include <optional>

#include "database/idempotency_table.h"
#include "platform/com/error.h"
#include "platform/com/type_info.h"
#include "tools/mom/component_host.h"
#include "tools/mom/console_error.h"
#include "tools/mom/operation_call.h"
#include "tools/mom/serve/json_arguments.h"
#include "tools/mom/serve/token_rows.h"

namespace mom_service {

namespace {

using mom_console::Json;
using mom_console::OperationCall;
using mom_console::UsageError;

// Never fails: a text that is not UTF-8 is answered with replacement characters.
std::string Dump(const Json& json) { return json.dump(-1, ' ', false, Json::error_handler_t::replace); }

CallAnswer Refused(int status, const std::string& description, const std::string& operation = "") {
  Json body;
  body["error"] = {{"description", description}};
  CallAnswer answer;
  answer.status = status;
  answer.body = Dump(body);
  answer.operation = operation;
  answer.result = "refused";
  answer.reason = description;
  return answer;
}

CallAnswer ErrorStatus(const com::Error& error, const std::string& operation) {
  CallAnswer answer;
  answer.status = 500;
  answer.body = Dump(mom_console::ErrorJson(error));
  answer.operation = operation;
  answer.result = "error";
  answer.reason = std::to_string(error.number()) + ": " + error.description();
  return answer;
}

// The thread's own instance: the component is apartment-threaded. It has no state,
// so one per thread serves every request on it.
com::Ptr<com::IDispatch> ThreadClsMom() {
  thread_local com::Ptr<com::IDispatch> mom;
  if (!mom) mom = mom_console::CreateClsMom();
  return mom;
}

std::string KeyProblem(const std::string& key) {
  if (key.size() > kMaxKeyLength)
    return "Idempotency-Key is longer than " + std::to_string(kMaxKeyLength) + " characters";
  for (unsigned char c : key)
    if (c < 0x21 || c > 0x7e) return "Idempotency-Key may hold only printable ASCII characters, without blanks";
  return "";
}

std::string ErrMsgOf(const OperationCall& call) {
  const com::Variant* v = call.Value("ErrMsg");
  return v && !v->Deref().is_empty() && !v->Deref().is_null() ? v->Deref().ToString() : "";
}

}  // namespace

CallService::CallService(ServiceSettings settings)
    : settings_(std::move(settings)),
      pool_(settings_.connection_string, settings_.max_idle_connections),
      store_(settings_.key_ttl_seconds) {
  ConnectionPool::Lease lease = pool_.Acquire();
  database::EnsureIdempotencyTable(*lease);
  ThreadClsMom();  // registers the servers once, before requests come in
}

bool CallService::Healthy(std::string* why) {
  try {
    ConnectionPool::Lease lease = pool_.Acquire();
    try {
      lease->Execute("select 1");
    } catch (...) {
      lease.Discard();
      throw;
    }
    return true;
  } catch (const std::exception& e) {
    if (why) *why = e.what();
    return false;
  }
}

int64_t CallService::PurgeExpiredKeys() {
  ConnectionPool::Lease lease = pool_.Acquire();
  return store_.Purge(*lease, UnixNow());
}

namespace {

// One request's run: the parts of CallService::Call that share its state.
class Run {
 public:
  Run(ConnectionPool& pool, const IdempotencyStore& store, const MessageCatalog& messages,
      const ServiceSettings& settings, OperationCall& call, std::string identity, std::string key)
      : pool_(pool), store_(store), messages_(messages), settings_(settings), call_(call),
        operation_(call.func().name), identity_(std::move(identity)), key_(std::move(key)) {}

  CallAnswer InTransaction() {
    call_.SupplyHostArguments({[&] { return BeginTransaction(); }, [&] { return Login(); }});
    ado::Connection& connection = **lease_;
    try {
      if (!key_.empty()) {
        if (std::optional<CallAnswer> answered = AnsweredBefore(connection)) {
          connection.RollbackTrans();
          return *answered;
        }
      }
      com::Variant result;
      try {
        result = call_.Invoke();
      } catch (const com::Error& e) {
        connection.RollbackTrans();
        return ErrorStatus(e, operation_);
      }
      Json outcome = call_.Outcome(result, /*echo_given_recordsets=*/false);
      if (result.ToBool()) {
        CallAnswer answer = Answer(200, Dump(outcome), "true");
        if (!key_.empty()) store_.Complete(connection, key_, answer.status, answer.body);
        connection.CommitTrans();
        return answer;
      }
      connection.RollbackTrans();
      return Refusal(&connection, outcome);
    } catch (...) {
      lease_->Discard();  // a failure of the service's own statements: never reused
      throw;
    }
  }

  // Operations that open connections of their own and commit there.
  CallAnswer OnItsOwn() {
    call_.SupplyHostArguments({nullptr, [&] { return Login(); }});
    if (!key_.empty()) {
      BeginTransaction();
      try {
        if (std::optional<CallAnswer> answered = AnsweredBefore(**lease_)) {
          (*lease_)->RollbackTrans();
          return *answered;
        }
        (*lease_)->CommitTrans();  // the claim holds before the call commits anything
      } catch (...) {
        lease_->Discard();
        throw;
      }
    }
    CallAnswer answer;
    try {
      com::Variant result = call_.Invoke();
      Json outcome = call_.Outcome(result, /*echo_given_recordsets=*/false);
      answer = result.ToBool() ? Answer(200, Dump(outcome), "true") : Refusal(nullptr, outcome);
    } catch (const com::Error& e) {
      answer = ErrorStatus(e, operation_);
    }
    if (!key_.empty()) {
      // The call's effects stand whatever the answer; a failure here leaves the key
      // claimed (409 until it expires), never free for a second run.
      try {
        ado::Connection& connection = **lease_;
        connection.BeginTrans();
        store_.Complete(connection, key_, answer.status, answer.body);
        connection.CommitTrans();
      } catch (const std::exception&) {
        lease_->Discard();
      }
    }
    return answer;
  }

 private:
  com::Ptr<ado::Connection> BeginTransaction() {
    for (int attempt = 0;; ++attempt) {
      lease_.emplace(pool_.Acquire());
      try {
        (*lease_)->BeginTrans();
        return lease_->get();
      } catch (const com::Error&) {
        // A connection that sat idle may have lost its server: one more try, anew.
        lease_->Discard();
        bool retry = lease_->reused() && attempt == 0;
        lease_.reset();
        if (!retry) throw;
      }
    }
  }

  com::Ptr<com::IDispatch> Login() {
    return mom_console::CreateLogin(settings_.connection_string, settings_.user, settings_.accounting_set);
  }

  CallAnswer Answer(int status, std::string body, std::string result) const {
    CallAnswer answer;
    answer.status = status;
    answer.body = std::move(body);
    answer.operation = operation_;
    answer.result = std::move(result);
    return answer;
  }

  // Inside the request's transaction: the answer of an earlier request with the key,
  // or none when this one has claimed it.
  std::optional<CallAnswer> AnsweredBefore(ado::Connection& connection) {
    const int64_t now = UnixNow();
    std::optional<StoredAnswer> stored = store_.Find(connection, key_, now);
    if (!stored && !store_.Claim(connection, key_, operation_, identity_, now))
      stored = store_.Find(connection, key_, now);
    if (!stored) return std::nullopt;
    if (stored->request != identity_)
      return Refused(422, "Idempotency-Key " + key_ + " was used for another request (" + stored->operation +
                              "); a new request needs a new key", operation_);
    if (stored->status == 0)
      return Refused(409, "the request with Idempotency-Key " + key_ +
                              " is still running, or the service stopped while it ran; its outcome is not known "
                              "(the key expires " + std::to_string(store_.ttl_seconds()) + " s after it was used)",
                     operation_);
    CallAnswer answer = Answer(stored->status, stored->answer, stored->status == 200 ? "true" : "error");
    if (stored->status == 200) {
      Json body = Json::parse(stored->answer, nullptr, false);
      if (body.is_object() && body.contains("result") && body["result"] == false) answer.result = "false";
    }
    answer.replayed = true;
    return answer;
  }

  // A call that returned false; `connection` (null for the operations on connections
  // of their own) has rolled its transaction back.
  CallAnswer Refusal(ado::Connection* connection, Json& outcome) {
    const std::string message = ErrMsgOf(call_);
    CallAnswer answer = Answer(200, "", "false");
    answer.message = messages_.LabelOf(message);
    std::optional<TokenRow> row = TokenRowOf(call_);
    if (connection && row && messages_.IsStaleRow(message)) {
      answer.status = 409;
      answer.stale_token = true;
      try {
        std::optional<std::string> token = CurrentToken(*connection, *row);
        outcome["currentKrts"] = token ? Json(*token) : Json(nullptr);
      } catch (const com::Error&) {
        // The refusal stands; the client re-reads the row itself.
      }
    }
    answer.body = Dump(outcome);
    return answer;
  }

  ConnectionPool& pool_;
  const IdempotencyStore& store_;
  const MessageCatalog& messages_;
  const ServiceSettings& settings_;
  OperationCall& call_;
  const std::string operation_;
  const std::string identity_;
  const std::string key_;
  std::optional<ConnectionPool::Lease> lease_;
};

}  // namespace

CallAnswer CallService::Call(const CallRequest& request) {
  if (std::string problem = KeyProblem(request.idempotency_key); !problem.empty()) return Refused(400, problem);
  Json body;
  if (request.body.empty()) {
    body = Json::object();
  } else {
    body = Json::parse(request.body, nullptr, false);
    if (body.is_discarded()) return Refused(400, "the body is not valid JSON (UTF-8 text)");
  }
  if (!body.is_object()) return Refused(400, "the body must be a JSON object of named arguments");

  std::optional<OperationCall> call;
  try {
    call.emplace(ThreadClsMom(), request.operation);
  } catch (const UsageError& e) {
    return Refused(404, e.what());
  }
  const std::string operation = call->func().name;
  if (com::NamesEqual(operation, "EcnApplyChangeRef"))
    return Refused(501, "EcnApplyChangeRef shows a dialog for a user at the screen; the service does not offer it",
                   operation);
  try {
    for (const auto& [name, value] : body.items())
      call->Assign(name, [&](const com::ParamDesc& param) { return ArgumentFromJson(param, value); });
    Json identity;
    identity["operation"] = operation;
    identity["arguments"] = call->GivenArguments();
    Run run(pool_, store_, messages_, settings_, *call, Dump(identity), request.idempotency_key);
    return call->TakesConnection() ? run.InTransaction() : run.OnItsOwn();
  } catch (const UsageError& e) {
    return Refused(400, e.what(), operation);
  } catch (const Json::exception& e) {
    return Refused(400, e.what(), operation);
  } catch (const com::Error& e) {
    return ErrorStatus(e, operation);
  }
}

}  // namespace mom_service
