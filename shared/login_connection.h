#pragma once
// The connection that the operations receiving a login object open for themselves,
// and the accounting set's number of quantity decimals. Neither traps errors.

#include <cstdint>

#include "component/cls_mom_interface.h"

namespace mom {

// A new, open connection to the database that the login object's KrDbName names (read
// late-bound, used unchanged), with a 180-second connection timeout. The caller owns it.
ConnectionRef OpenLoginConnection(ObjectRef& ClsLogin);

// Quantity decimals of the accounting set (AccInformation 'AA'/'iStrsQuanDecDgt'); 0
// when the setting is missing. Read anew on every call.
int16_t GetQtyDecimals(ConnectionRef& cn);

}  // namespace mom
