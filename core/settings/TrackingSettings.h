#pragma once
// The settings of the "Tracking" group.

#include "core/Setting.h"

namespace tarnwick::opt {

extern CSetting Tracking_Enabled;
extern CSetting Tracking_LostGPS;

}  // namespace tarnwick::opt
