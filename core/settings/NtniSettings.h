#pragma once
// The settings of the "NTNI" group.

#include "core/Setting.h"

namespace tarnwick::opt {

extern CSetting NTNI_WaterwayFilter;

}  // namespace tarnwick::opt
