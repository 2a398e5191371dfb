#pragma once
// The settings of the "TowConfig" group.

#include "core/Setting.h"

namespace tarnwick::opt {

extern CSetting TowConfig_WindowRect;

}  // namespace tarnwick::opt
