#pragma once
// The settings of the "Ports" group.

#include "core/Setting.h"

namespace tarnwick::opt {

extern CSetting Ports_NoOverlappedIO;

}  // namespace tarnwick::opt
