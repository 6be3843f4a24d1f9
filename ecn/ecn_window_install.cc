// Compiled into the component's server library when it is built with windows: makes the
// Qt dialog the window EcnApplyChangeRef shows.

#include "ecn/ecn_apply_change_ref.h"
#include "ecn/ecn_apply_change_ref_dialog.h"

namespace {

struct InstallWindow {
  InstallWindow() { mom::ecn::InstallEcnApplyChangeRefWindow(&mom::ecn::ShowEcnApplyChangeRefDialog); }
} install_window;

}  // namespace
