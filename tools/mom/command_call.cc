// mom call DB OPERATION [NAME=VALUE ...] [--user U] [--acc A] [--rollback | --no-transaction]
//          [--echo-recordsets]

#include <charconv>
#include <cstdlib>

#include "platform/ado/connection.h"
#include "platform/com/error.h"
#include "platform/com/type_info.h"
#include "tools/mom/commands.h"
#include "tools/mom/component_host.h"
#include "tools/mom/console_error.h"
#include "tools/mom/database_target.h"
#include "tools/mom/json_values.h"
#include "tools/mom/operation_call.h"
#include "tools/mom/utf8_text.h"

namespace mom_console {

namespace {

struct CallRequest {
  std::string db;
  std::string operation;
  std::vector<std::pair<std::string, std::string>> assignments;
  std::string user;
  std::string accounting_set = "001";
  bool rollback = false;
  bool no_transaction = false;  // the connection is handed over with no transaction begun
  bool echo_recordsets = false;  // print the caller's recordsets whole, not just their size
};

CallRequest ParseRequest(const Words& words) {
  CallRequest r;
  const char* env_user = std::getenv("USER");
  r.user = env_user && *env_user ? env_user : "admin";
  std::vector<std::string> positional;
  for (size_t i = 0; i < words.size(); ++i) {
    const std::string& w = words[i];
    if (w == "--rollback") {
      r.rollback = true;
    } else if (w == "--no-transaction") {
      r.no_transaction = true;
    } else if (w == "--echo-recordsets") {
      r.echo_recordsets = true;
    } else if (w == "--user" || w == "--acc") {
      if (i + 1 >= words.size()) throw UsageError(w + " needs a value");
      (w == "--user" ? r.user : r.accounting_set) = words[++i];
    } else if (w.rfind("--", 0) == 0) {
      throw UsageError("unknown option " + EscapeInvalidUtf8(w));
    } else if (positional.size() < 2) {
      positional.push_back(w);
    } else {
      size_t eq = w.find('=');
      if (eq == std::string::npos || eq == 0) throw UsageError("expected NAME=VALUE, got '" + w + "'");
      r.assignments.emplace_back(w.substr(0, eq), w.substr(eq + 1));
    }
  }
  if (positional.size() < 2) throw UsageError("usage: mom call DB OPERATION [NAME=VALUE ...]");
  if (r.rollback && r.no_transaction)
    throw UsageError("--rollback and --no-transaction exclude each other: without a transaction there is "
                     "nothing to roll back");
  r.db = positional[0];
  r.operation = positional[1];
  // Everything the call hands back is JSON text: what it could not echo is refused
  // before anything is called. (The database may be any path the system allows.)
  std::vector<std::pair<std::string, const std::string*>> texts = {
      {"the operation", &r.operation}, {"--user", &r.user}, {"--acc", &r.accounting_set}};
  for (const auto& [name, value] : r.assignments) {
    texts.emplace_back("an argument's name", &name);
    texts.emplace_back(name, &value);
  }
  for (const auto& [what, text] : texts)
    if (!IsValidUtf8(*text))
      throw UsageError(EscapeInvalidUtf8(what) + ": '" + EscapeInvalidUtf8(*text) +
                       "' is not valid UTF-8 (the bytes shown as \\xNN)");
  return r;
}

com::Variant ParseValue(const com::ParamDesc& param, const std::string& text) {
  auto wrong = [&](const char* expected) -> UsageError {
    return UsageError(param.name + ": expected " + expected + ", got '" + text + "'");
  };
  switch (param.type) {
    case com::VarType::I2:
    case com::VarType::I4: {
      int64_t v = 0;
      auto [ptr, ec] = std::from_chars(text.data(), text.data() + text.size(), v);
      if (ec != std::errc() || ptr != text.data() + text.size()) throw wrong("an integer");
      if (param.type == com::VarType::I2 ? (v < INT16_MIN || v > INT16_MAX) : (v < INT32_MIN || v > INT32_MAX))
        throw wrong(param.type == com::VarType::I2 ? "a 16-bit integer" : "a 32-bit integer");
      return param.type == com::VarType::I2 ? com::Variant(static_cast<int16_t>(v))
                                            : com::Variant(static_cast<int32_t>(v));
    }
    case com::VarType::R8: {
      double v = 0;
      auto [ptr, ec] = std::from_chars(text.data(), text.data() + text.size(), v);
      if (ec != std::errc() || ptr != text.data() + text.size()) throw wrong("a number");
      return com::Variant(v);
    }
    case com::VarType::Bool:
      if (text == "true" || text == "True" || text == "-1" || text == "1") return com::Variant(true);
      if (text == "false" || text == "False" || text == "0") return com::Variant(false);
      throw wrong("true or false");
    case com::VarType::Date: {
      auto d = com::ParseDate(text);
      if (!d) throw wrong("a date YYYY-MM-DD[ HH:MM:SS]");
      return com::Variant(*d);
    }
    case com::VarType::String: return com::Variant(text);
    default: break;
  }
  if (param.type_name == "Recordset") {
    if (text.empty() || text[0] != '@') throw wrong("@FILE naming a JSON recordset");
    return com::Variant(com::Ptr<com::IUnknown>(RecordsetFromFile(text.substr(1)).get()));
  }
  throw UsageError(param.name + " is supplied by the console (from DB, --user and --acc), not on the command line");
}

}  // namespace

int RunCall(const Words& words, std::ostream& out, std::ostream& err) {
  CallRequest request = ParseRequest(words);
  DatabaseTarget target = ExistingDatabase(request.db);
  OperationCall call(CreateClsMom(), request.operation);
  for (const auto& [name, text] : request.assignments)
    call.Assign(name, [&](const com::ParamDesc& param) { return ParseValue(param, text); });

  com::Ptr<ado::Connection> connection;
  call.SupplyHostArguments({[&] {
                              connection = ado::Connection::Create();
                              connection->Open(target.connection_string);
                              if (!request.no_transaction) connection->BeginTrans();
                              return connection;
                            },
                            [&] { return CreateLogin(target.connection_string, request.user, request.accounting_set); }});

  Json output;
  int exit_code = kExitOk;
  try {
    com::Variant result = call.Invoke();
    bool succeeded = result.ToBool();
    // The answer is made before the commit, so that nothing can fail after it.
    output = call.Outcome(result, request.echo_recordsets);
    if (connection && !request.no_transaction) {
      if (succeeded && !request.rollback)
        connection->CommitTrans();
      else
        connection->RollbackTrans();
    }
  } catch (const com::Error& e) {
    if (connection && connection->State() == ado::adStateOpen && connection->session().InTransaction())
      connection->RollbackTrans();
    output = ErrorJson(e);
    exit_code = kExitOperationError;
  }
  out << output.dump() << "\n";
  (void)err;
  return exit_code;
}

}  // namespace mom_console
