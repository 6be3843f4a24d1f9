#include "platform/ado/command.h"

#include "platform/ado/error.h"
#include "platform/ado/recordset.h"

namespace ado {

namespace {

bool ReturnsValue(ParameterDirection d) {
  return d == adParamOutput || d == adParamInputOutput || d == adParamReturnValue;
}

}  // namespace

com::Ptr<Command> Command::Create() { return com::Ptr<Command>::Attach(new Command()); }

com::Ptr<Parameter> Command::CreateParameter(std::string name, DataType type, ParameterDirection direction,
                                             int32_t size, com::Variant value) const {
  com::Ptr<Parameter> p = Parameter::Create(std::move(name), type, direction, size);
  p->value = std::move(value);
  return p;
}

ExecuteResult Command::Run(bool want_rows) {
  if (!connection_ || connection_->State() != adStateOpen) Raise(kErrConnectionUnusable);
  Session& session = connection_->session();

  std::vector<BoundParameter> bound;
  bound.reserve(static_cast<size_t>(parameters_.Count()));
  for (int32_t i = 0; i < parameters_.Count(); ++i) bound.push_back(parameters_.Item(i).Bind());

  if (command_type == adCmdStoredProc) {
    ExecuteResult result = session.CallProcedure(command_text, bound, command_timeout);
    for (int32_t i = 0; i < parameters_.Count(); ++i) {
      Parameter& p = parameters_.Item(i);
      if (ReturnsValue(p.direction)) p.value = bound[static_cast<size_t>(i)].value;
    }
    return result;
  }
  std::string sql = command_type == adCmdTable ? "SELECT * FROM " + command_text : command_text;
  return session.ExecuteText(sql, bound, command_timeout, want_rows);
}

com::Ptr<Recordset> Command::Execute(int64_t* records_affected, int32_t options) {
  bool no_records = options != adOptionUnspecified && (options & adExecuteNoRecords) != 0;
  ExecuteResult result = Run(!no_records);
  if (records_affected) *records_affected = result.records_affected;
  if (no_records) return {};
  com::Ptr<Recordset> rs = Recordset::Create();
  rs->OpenResult(std::move(result));
  return rs;
}

}  // namespace ado
