#pragma once
// The settings of the "Screen" group.

#include "core/Setting.h"

namespace tarnwick::opt {

extern CSetting Screen_Brightness;

}  // namespace tarnwick::opt
