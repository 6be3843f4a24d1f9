#include "mogen/gen_mo_from_demand.h"

#include <string>

namespace mom::mogen {

com::Ptr<ado::Command> GenMoFromDemand() {
  com::Ptr<ado::Command> cmd = ado::Command::Create();
  cmd->command_text = "Usp_MO_GenMoFromSo";
  cmd->command_type = ado::adCmdStoredProc;
  auto add = [&](const char* name, ado::DataType type, int32_t size, uint8_t precision = 0, uint8_t scale = 0,
                 ado::ParameterDirection direction = ado::adParamInput) {
    com::Ptr<ado::Parameter> p = cmd->CreateParameter(name, type, direction, size);
    if (precision) {
      p->precision = precision;
      p->numeric_scale = scale;
    }
    cmd->parameters().Append(p);
  };
  add("Return", ado::adInteger, 0, 0, 0, ado::adParamReturnValue);
  add("AccId", ado::adChar, 3);
  add("mocode", ado::adVarWChar, 30);
  add("sodid", ado::adInteger, 0);
  add("cbomid", ado::adInteger, 0);
  add("invcode", ado::adVarWChar, 20);
  for (int i = 1; i <= 10; ++i) add(("Free" + std::to_string(i)).c_str(), ado::adVarWChar, 20);
  add("qty", ado::adDecimal, 0, 28, 6);
  add("duedate", ado::adDate, 0);
  add("createuser", ado::adVarWChar, 30);
  add("createdate", ado::adDate, 0);
  add("remark", ado::adVarWChar, 255);
  add("SoType", ado::adTinyInt, 0);
  add("from", ado::adVarWChar, 2);
  add("igrouptype", ado::adInteger, 0);
  add("inum", ado::adDecimal, 0, 28, 6);
  add("iinvexchrate", ado::adDecimal, 0, 22, 6);
  return cmd;
}

}  // namespace mom::mogen
