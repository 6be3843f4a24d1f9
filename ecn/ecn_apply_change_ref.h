#pragma once
// The engineering-change reference: shows the dialog in which the user picks one line
// of an engineering-change application and returns the choice.

#include <cstdint>
#include <functional>
#include <string>

#include "component/cls_mom_interface.h"

namespace mom::ecn {

class frmEcnApplyChangeRef;

// Writes ApplyDId, DocCode and SortSeq (0, "" and 0 when nothing was chosen) and
// returns ApplyDId. Raises when the dialog cannot be created, loaded or shown.
int32_t EcnApplyChangeRef(ObjectRef& ClsLogin, int16_t EcnType, ConnectionRef& cn, int32_t& ApplyDId,
                          std::string& DocCode, int32_t& SortSeq);

// The same with the modal show given: it loads the dialog and returns when the dialog
// has been unloaded. The overload above shows the window installed below.
using ShowModal = std::function<void(frmEcnApplyChangeRef& form)>;
int32_t EcnApplyChangeRef(ObjectRef& ClsLogin, int16_t EcnType, ConnectionRef& cn, int32_t& ApplyDId,
                          std::string& DocCode, int32_t& SortSeq, const ShowModal& show);

// The window the overload without `show` shows. What links the Qt window installs it as
// it loads (ecn/ecn_window_install.cc), so that the logic here builds without a toolkit;
// with none installed the call raises com::Error (kErrAutomation).
using ShowWindow = void (*)(frmEcnApplyChangeRef& form);
void InstallEcnApplyChangeRefWindow(ShowWindow show);

}  // namespace mom::ecn
