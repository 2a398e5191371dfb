#pragma once
// The settings of the "SIRF" group.

#include "core/Setting.h"

namespace tarnwick::opt {

extern CSetting SIRF_FixStatic;

}  // namespace tarnwick::opt
