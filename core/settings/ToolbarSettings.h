#pragma once
// The settings of the "Toolbar" group.

#include "core/Setting.h"

namespace tarnwick::opt {

extern CSetting Toolbar_ClockShowSeconds;

}  // namespace tarnwick::opt
