#pragma once
// What the sales and external generation paths share.

#include <cstdint>
#include <optional>
#include <string>

#include "component/cls_mom_interface.h"
#include "mogen/common_functions_client.h"
#include "platform/ado/command.h"
#include "platform/com/variant.h"
#include "suite/current_login.h"

namespace mom::mogen {

VariantBool PushMoFromSales(ObjectRef& ClsLogin, std::string& MoCode, RecordsetRef& SoRs, std::string& ErrMsg);
VariantBool PushMoFromExternal(ObjectRef& ClsLogin, std::string& MoCode, RecordsetRef& SoRs, std::string& ErrMsg);

// The statement that creates the run's session table for the generation procedure.
inline constexpr char kCreateSessionTable[] =
    "select IDENTITY(int,1,1) as SortSeq,OpSeq,ComponentId,BaseQtyN,BaseQtyD,ParentScrap,CompScrap,FVFlag,"
    "ByproductFlag,WIPType,WhCode,Qty,StartDemDate,EndDemDate,OffSet,OpComponentId into #tmp_moallocate from "
    "mom_moallocate where 1 = 2";

// Makes the run's database the current login of the run's thread while the run lasts
// (CommonFunctions is handed no connection and reads it from there), and restores what
// was set before. Runs on other threads keep their own.
using ScopedCurrentLogin = suite::ScopedCurrentLogin;

// State of one run that both paths keep.
struct GenerationRun {
  ConnectionRef cn;
  com::Ptr<ado::Command> command;
  std::string user;
  com::Date created;
  std::optional<CommonFunctionsClient> numbering;  // at its first use
  com::Variant numbering_array = NewCodeArray();
};

// The ten free texts of the current row, Null read as "".
void ReadFreeTexts(ado::Recordset& rs, std::string (&frees)[10]);

// Fetches codes and runs the generation command until the procedure no longer answers
// "code taken"; kNoCode when no code was given. `mo_code` receives the last code.
int32_t GenerateMo(GenerationRun& run, ObjectRef& ClsLogin, ado::Recordset& rs, int32_t line_id, uint8_t so_type,
                   const char* from, std::string& mo_code);

}  // namespace mom::mogen
