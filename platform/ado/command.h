#pragma once
// Command: statement text or a stored-procedure name with its parameters, bound to a
// connection. Built once, it can be executed many times with new parameter values.

#include <string>

#include "platform/ado/connection.h"
#include "platform/ado/parameter.h"

namespace ado {

struct ICommand : com::IUnknown {
  static constexpr com::Guid kIid{0x0000054E, 0x0000, 0x0010, {0x80, 0x00, 0x00, 0xAA, 0x00, 0x6D, 0x2E, 0xA4}};

 protected:
  ~ICommand() = default;
};

class Command final : public com::Object<ICommand> {
 public:
  using Interface = ICommand;
  static constexpr com::Guid kIid = ICommand::kIid;

  static com::Ptr<Command> Create();

  com::Ptr<Parameter> CreateParameter(std::string name = {}, DataType type = adEmpty,
                                      ParameterDirection direction = adParamInput, int32_t size = 0,
                                      com::Variant value = com::Variant()) const;
  Parameters& parameters() { return parameters_; }
  // Shorthand for parameters().Item(name).value.
  com::Variant& operator[](std::string_view name) { return parameters_.Item(name).value; }

  std::string command_text;
  int32_t command_type = adCmdUnknown;
  int32_t command_timeout = kDefaultCommandTimeout;

  const com::Ptr<Connection>& ActiveConnection() const { return connection_; }
  void SetActiveConnection(com::Ptr<Connection> connection) { connection_ = std::move(connection); }

  // Runs the command. With adExecuteNoRecords the result is null; otherwise a
  // recordset (closed when the command yields no rows). Output and return values are
  // stored in the parameters. Text commands bind parameters to "?" markers by position.
  com::Ptr<Recordset> Execute(int64_t* records_affected = nullptr, int32_t options = -1);

  // Runs the command and returns its first row result for a recordset to keep.
  ExecuteResult Run(bool want_rows);

 private:
  friend class com::Object<ICommand>;
  Command() = default;

  Parameters parameters_;
  com::Ptr<Connection> connection_;
};

}  // namespace ado
