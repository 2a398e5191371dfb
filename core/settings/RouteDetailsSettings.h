#pragma once
// The settings of the "RouteDetails" group.

#include "core/Setting.h"

namespace tarnwick::opt {

extern CSetting RouteDetails_ShowObstacles;
extern CSetting RouteDetails_ShowSeconds;
extern CSetting RouteDetails_ShowWarnings;

}  // namespace tarnwick::opt
