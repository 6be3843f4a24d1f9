#include "shared/login_connection.h"

#include "platform/ado/recordset.h"
#include "platform/com/late_binding.h"

namespace mom {

ConnectionRef OpenLoginConnection(ObjectRef& ClsLogin) {
  ConnectionRef cn = ado::Connection::Create();
  cn->SetConnectionString(com::GetProperty(ClsLogin.get(), "KrDbName").ToString());
  cn->SetConnectionTimeout(180);
  cn->Open("", "", "", -1);
  return cn;
}

int16_t GetQtyDecimals(ConnectionRef& cn) {
  com::Ptr<ado::Recordset> rs = ado::Recordset::Create();
  rs->SetCursorLocation(ado::adUseClient);
  rs->Open("select cast(cValue as int) as Scale from AccInformation where cSysId = 'AA' and cName='iStrsQuanDecDgt'",
           cn.get());
  if (rs->RecordCount() > 0) return rs->fields().Item("Scale").Value().ToI2();
  return 0;
}

}  // namespace mom
