#pragma once
// The settings of the "Startup" group.

#include "core/Setting.h"

namespace tarnwick::opt {

extern CSetting Startup_NoDisclaimer;
extern CSetting Startup_ShowWelcome;

}  // namespace tarnwick::opt
