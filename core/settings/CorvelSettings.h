#pragma once
// The settings of the "Corvel" group.

#include "core/Setting.h"

namespace tarnwick::opt {

extern CSetting Corvel_ShowUdp;

}  // namespace tarnwick::opt
