#include "tools/mom/operation_call.h"

#include <cctype>
#include <set>

#include "platform/ado/recordset.h"
#include "platform/com/error.h"
#include "platform/com/late_binding.h"
#include "tools/mom/console_error.h"
#include "tools/mom/utf8_text.h"

namespace mom_console {

namespace {

// Arguments that an operation only writes: they start empty when not given.
bool IsOutputOnly(const std::string& operation, const std::string& param) {
  static const std::set<std::string> any_operation = {"errmsg", "mocode", "billlistrs", "applydid", "doccode",
                                                      "sortseq"};
  std::string p;
  for (char c : param) p += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  if (any_operation.count(p)) return true;
  return (com::NamesEqual(operation, "STPullfromMORM") && p == "cqty") ||
         (com::NamesEqual(operation, "STPullfromMORP") && p == "pqty");
}

// The recordset an argument holds, or null.
com::Ptr<ado::Recordset> GivenRecordset(const com::Variant& value) {
  if (value.type() != com::VarType::Unknown && value.type() != com::VarType::Dispatch) return {};
  com::Ptr<com::IUnknown> object = value.ToUnknown();
  return object ? object.As<ado::Recordset>() : com::Ptr<ado::Recordset>();
}

std::string ParamList(const com::FuncDesc& f) {
  std::string s;
  for (const com::ParamDesc& p : f.params) s += (s.empty() ? "" : ", ") + p.name;
  return s;
}

}  // namespace

OperationCall::OperationCall(com::Ptr<com::IDispatch> mom, std::string_view operation) : mom_(std::move(mom)) {
  const com::TypeInfo* type_info = mom_->GetTypeInfo();
  func_ = type_info->Find(operation);
  if (!func_) {
    std::string names;
    for (const com::FuncDesc& f : type_info->funcs) names += (names.empty() ? "" : ", ") + f.name;
    throw UsageError("unknown operation " + std::string(operation) + "; the operations are: " + names);
  }
  values_.resize(func_->params.size());
  given_.assign(func_->params.size(), false);
  by_caller_.assign(func_->params.size(), false);
}

void OperationCall::Assign(std::string_view name, const ValueParser& parse) {
  int index = func_->FindParam(name);
  if (index < 0)
    throw UsageError("unknown argument " + std::string(name) + " of " + func_->name +
                     "; its arguments are: " + ParamList(*func_));
  if (given_[index]) throw UsageError("argument " + std::string(name) + " is given twice");
  values_[index] = parse(func_->params[index]);
  given_[index] = by_caller_[index] = true;
}

bool OperationCall::TakesConnection() const {
  for (const com::ParamDesc& p : func_->params)
    if (p.type_name == "Connection") return true;
  return false;
}

void OperationCall::SupplyHostArguments(const HostArguments& host) {
  // Required arguments are checked before the host opens anything for the call.
  for (size_t i = 0; i < values_.size(); ++i) {
    const com::ParamDesc& p = func_->params[i];
    bool hosts = p.type_name == "Connection" || (p.type_name == "Object" && com::NamesEqual(p.name, "ClsLogin"));
    if (!given_[i] && !hosts && !p.optional && !IsOutputOnly(func_->name, p.name))
      throw UsageError("missing argument " + p.name + " of " + func_->name + "; its arguments are: " +
                       ParamList(*func_));
  }
  com::Ptr<ado::Connection> connection;
  for (size_t i = 0; i < values_.size(); ++i) {
    const com::ParamDesc& p = func_->params[i];
    if (given_[i]) continue;
    if (p.type_name == "Connection") {
      if (!connection) connection = host.connection();
      values_[i] = com::Variant(com::Ptr<com::IUnknown>(static_cast<com::IUnknown*>(connection.get())));
      given_[i] = true;
    } else if (p.type_name == "Object" && com::NamesEqual(p.name, "ClsLogin")) {
      values_[i] = com::Variant(host.login());
      given_[i] = true;
    } else if (!p.optional) {
      values_[i] = p.type_name == "Recordset" ? com::Variant(com::Ptr<com::IUnknown>())
                                              : com::Variant().ConvertTo(p.type);
      given_[i] = true;
    }
  }
}

com::Variant OperationCall::Invoke() {
  std::vector<com::Variant> args;
  args.reserve(values_.size());
  for (size_t i = 0; i < values_.size(); ++i) {
    if (!given_[i])
      args.push_back(com::Variant::Missing());
    else if (func_->params[i].by_ref)
      args.push_back(com::Variant::Ref(&values_[i]));
    else
      args.push_back(values_[i]);
  }
  return com::CallByName(mom_.get(), func_->name, args);
}

Json OperationCall::Outcome(const com::Variant& result, bool echo_given_recordsets) const {
  Json output;
  output["result"] = ToJson(result);
  for (size_t i = 0; i < values_.size(); ++i) {
    if (!func_->params[i].by_ref) continue;
    if (!echo_given_recordsets && by_caller_[i])
      if (com::Ptr<ado::Recordset> rs = GivenRecordset(values_[i])) {
        output[func_->params[i].name] = {{"records", rs->State() == ado::adStateOpen ? rs->RecordCount() : 0}};
        continue;
      }
    output[func_->params[i].name] = ToJson(values_[i]);
  }
  return output;
}

const com::Variant* OperationCall::Value(std::string_view name) const {
  int index = func_->FindParam(name);
  return index >= 0 && given_[index] ? &values_[index] : nullptr;
}

Json OperationCall::GivenArguments() const {
  Json given = Json::object();
  for (size_t i = 0; i < values_.size(); ++i) {
    if (!by_caller_[i]) continue;
    given[func_->params[i].name] = ToJson(values_[i]);
    // Reading a recordset moves through it: the operation gets it back on its first row.
    if (com::Ptr<ado::Recordset> rs = GivenRecordset(values_[i]);
        rs && rs->State() == ado::adStateOpen && rs->RecordCount() > 0)
      rs->MoveFirst();
  }
  return given;
}

Json ErrorJson(const com::Error& error) {
  Json output = Json::object();
  output["error"] = {{"number", error.number()}, {"description", EscapeInvalidUtf8(error.description())}};
  return output;
}

}  // namespace mom_console
