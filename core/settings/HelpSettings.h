#pragma once
// The settings of the "Help" group.

#include "core/Setting.h"

namespace tarnwick::opt {

extern CSetting Help_TextSize;

}  // namespace tarnwick::opt
