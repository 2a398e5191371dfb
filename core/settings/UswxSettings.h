#pragma once
// The settings of the "uswx" group.

#include "core/Setting.h"

namespace tarnwick::opt {

extern CSetting uswx_zonesupdated;

}  // namespace tarnwick::opt
