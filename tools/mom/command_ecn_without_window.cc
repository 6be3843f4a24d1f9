// mom ecn, in a console built without windows (MOM_WITH_WIDGETS off).

#include "platform/com/error.h"
#include "tools/mom/commands.h"

namespace mom_console {

int RunEcn(const Words&, std::ostream&) {
  throw com::Error(com::kErrAutomation, "无法显示窗口：本程序构建时没有带窗口（图形界面），mom ecn 不可用。");
}

}  // namespace mom_console
