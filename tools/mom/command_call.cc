// mom call DB OPERATION [NAME=VALUE ...] [--user U] [--acc A] [--rollback]

#include <charconv>
#include <cstdlib>
#include <set>

#include "platform/ado/connection.h"
#include "platform/com/error.h"
#include "platform/com/late_binding.h"
#include "platform/com/type_info.h"
#include "tools/mom/commands.h"
#include "tools/mom/component_host.h"
#include "tools/mom/console_error.h"
#include "tools/mom/database_target.h"
#include "tools/mom/json_values.h"

namespace mom_console {

namespace {

struct CallRequest {
  std::string db;
  std::string operation;
  std::vector<std::pair<std::string, std::string>> assignments;
  std::string user;
  std::string accounting_set = "001";
  bool rollback = false;
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
    } else if (w == "--user" || w == "--acc") {
      if (i + 1 >= words.size()) throw UsageError(w + " needs a value");
      (w == "--user" ? r.user : r.accounting_set) = words[++i];
    } else if (w.rfind("--", 0) == 0) {
      throw UsageError("unknown option " + w);
    } else if (positional.size() < 2) {
      positional.push_back(w);
    } else {
      size_t eq = w.find('=');
      if (eq == std::string::npos || eq == 0) throw UsageError("expected NAME=VALUE, got '" + w + "'");
      r.assignments.emplace_back(w.substr(0, eq), w.substr(eq + 1));
    }
  }
  if (positional.size() < 2) throw UsageError("usage: mom call DB OPERATION [NAME=VALUE ...]");
  r.db = positional[0];
  r.operation = positional[1];
  return r;
}

// Arguments that an operation only writes: the console starts them empty.
bool IsOutputOnly(const std::string& operation, const std::string& param) {
  static const std::set<std::string> any_operation = {"errmsg", "mocode", "billlistrs", "applydid", "doccode",
                                                      "sortseq"};
  std::string p;
  for (char c : param) p += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  if (any_operation.count(p)) return true;
  return (com::NamesEqual(operation, "STPullfromMORM") && p == "cqty") ||
         (com::NamesEqual(operation, "STPullfromMORP") && p == "pqty");
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

std::string ParamList(const com::FuncDesc& f) {
  std::string s;
  for (const com::ParamDesc& p : f.params) s += (s.empty() ? "" : ", ") + p.name;
  return s;
}

}  // namespace

int RunCall(const Words& words, std::ostream& out, std::ostream& err) {
  CallRequest request = ParseRequest(words);
  DatabaseTarget target = ExistingDatabase(request.db);
  com::Ptr<com::IDispatch> mom = CreateClsMom();
  const com::TypeInfo* type_info = mom->GetTypeInfo();
  const com::FuncDesc* func = type_info->Find(request.operation);
  if (!func) {
    std::string names;
    for (const com::FuncDesc& f : type_info->funcs) names += (names.empty() ? "" : ", ") + f.name;
    throw UsageError("unknown operation " + request.operation + "; the operations are: " + names);
  }

  const size_t n = func->params.size();
  std::vector<com::Variant> values(n);
  std::vector<bool> given(n, false);
  for (const auto& [name, text] : request.assignments) {
    int index = func->FindParam(name);
    if (index < 0) throw UsageError("unknown argument " + name + " of " + func->name + "; its arguments are: " + ParamList(*func));
    if (given[index]) throw UsageError("argument " + name + " is given twice");
    values[index] = ParseValue(func->params[index], text);
    given[index] = true;
  }

  com::Ptr<ado::Connection> connection;
  for (size_t i = 0; i < n; ++i) {
    const com::ParamDesc& p = func->params[i];
    if (given[i]) continue;
    if (p.type_name == "Connection") {
      if (!connection) {
        connection = ado::Connection::Create();
        connection->Open(target.connection_string);
        connection->BeginTrans();
      }
      values[i] = com::Variant(com::Ptr<com::IUnknown>(static_cast<com::IUnknown*>(connection.get())));
      given[i] = true;
    } else if (p.type_name == "Object" && com::NamesEqual(p.name, "ClsLogin")) {
      values[i] = com::Variant(CreateLogin(target.connection_string, request.user, request.accounting_set));
      given[i] = true;
    } else if (!p.optional && IsOutputOnly(func->name, p.name)) {
      values[i] = p.type_name == "Recordset" ? com::Variant(com::Ptr<com::IUnknown>())
                                             : com::Variant().ConvertTo(p.type);
      given[i] = true;
    } else if (!p.optional) {
      throw UsageError("missing argument " + p.name + " of " + func->name + "; its arguments are: " + ParamList(*func));
    }
  }

  std::vector<com::Variant> args;
  args.reserve(n);
  for (size_t i = 0; i < n; ++i) {
    if (!given[i])
      args.push_back(com::Variant::Missing());
    else if (func->params[i].by_ref)
      args.push_back(com::Variant::Ref(&values[i]));
    else
      args.push_back(values[i]);
  }

  Json output;
  int exit_code = kExitOk;
  try {
    com::Variant result = com::CallByName(mom.get(), func->name, args);
    bool succeeded = result.ToBool();
    if (connection) {
      if (succeeded && !request.rollback)
        connection->CommitTrans();
      else
        connection->RollbackTrans();
    }
    output["result"] = ToJson(result);
    for (size_t i = 0; i < n; ++i)
      if (func->params[i].by_ref) output[func->params[i].name] = ToJson(values[i]);
  } catch (const com::Error& e) {
    if (connection && connection->State() == ado::adStateOpen) connection->RollbackTrans();
    output = Json::object();
    output["error"] = {{"number", e.number()}, {"description", e.description()}};
    exit_code = kExitOperationError;
  }
  out << output.dump() << "\n";
  (void)err;
  return exit_code;
}

}  // namespace mom_console
