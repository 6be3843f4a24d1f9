// Compiled into the suite's server library when it is built with windows: makes the Qt
// picking dialog the window RefLookup shows.

#include "suite/ref_lookup_dialog.h"

namespace {

struct InstallWindow {
  InstallWindow() { suite::InstallRefLookupWindow(&suite::ChooseWithDialog); }
} install_window;

}  // namespace
