#include "shared/writeback_call.h"

#include <cstdint>

#include "platform/ado/recordset.h"
#include "platform/com/error.h"
#include "shared/xml_rs_data.h"

namespace mom {

WriteBackCall::WriteBackCall(std::string_view procedure)
    : command_(ado::Command::Create()), procedure_(procedure) {
  command_->parameters().Append(command_->CreateParameter("Return", ado::adInteger, ado::adParamReturnValue, 0));
}

WriteBackCall& WriteBackCall::Add(std::string_view name, WriteBackParam kind) {
  ado::DataType type = ado::adInteger;
  int32_t size = 0;
  switch (kind) {
    case WriteBackParam::kRowId: type = ado::adInteger; break;
    case WriteBackParam::kQuantity: type = ado::adDecimal; break;
    case WriteBackParam::kTypeCode: type = ado::adTinyInt; break;
    case WriteBackParam::kCheckFlag: type = ado::adBoolean; break;
    case WriteBackParam::kToken:
      type = ado::adVarChar;
      size = 30;
      break;
    case WriteBackParam::kDate: type = ado::adDate; break;
  }
  com::Ptr<ado::Parameter> p = command_->CreateParameter(std::string(name), type, ado::adParamInput, size);
  if (kind == WriteBackParam::kQuantity) {
    p->precision = 28;
    p->numeric_scale = 6;
  }
  command_->parameters().Append(std::move(p));
  return *this;
}

WriteBackCall& WriteBackCall::Set(std::string_view name, com::Variant value) {
  command_->parameters().Item(name).value = std::move(value);
  return *this;
}

WriteBackCall& WriteBackCall::SetTimeout(int32_t seconds) {
  timeout_ = seconds;
  return *this;
}

void WriteBackCall::Execute(const com::Ptr<ado::Connection>& connection) {
  command_->command_text = procedure_;
  command_->command_type = ado::adCmdStoredProc;
  if (timeout_ >= 0) command_->command_timeout = timeout_;
  command_->SetActiveConnection(connection);
  int64_t records_affected = 0;
  command_->Execute(&records_affected, ado::adExecuteNoRecords);
  RaiseForResultCode(command_->parameters().Item("Return").value.ToI4());
}

void RaiseForResultCode(int32_t return_value) {
  int64_t n = int64_t{return_value} - 90000;
  if (n > 0) {
    int32_t number = static_cast<int32_t>(10000 + n);
    throw com::Error(number, XMLRSData::GetResTextById(number));
  }
}

}  // namespace mom
