#pragma once
// The command that creates one MO for a demand line: "Usp_MO_GenMoFromSo" with its
// return value and 25 inputs, not bound to a connection. The callers bind it once per
// run, then set the inputs by name and execute it for every attempt.

#include "component/cls_mom_interface.h"
#include "platform/ado/command.h"

namespace mom::mogen {

com::Ptr<ado::Command> GenMoFromDemand();

// The procedure's answer for a code that is already taken; the callers ask for the
// next code and call again.
inline constexpr int32_t kCodeTaken = 90022;
// The callers' own code for a run that got no MO code.
inline constexpr int32_t kNoCode = 91000;

}  // namespace mom::mogen
