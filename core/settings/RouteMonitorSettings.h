#pragma once
// The settings of the "RouteMonitor" group.

#include "core/Setting.h"

namespace tarnwick::opt {

extern CSetting RouteMonitor_ShowActiveDTG;
extern CSetting RouteMonitor_ShowActiveETA;
extern CSetting RouteMonitor_ShowActiveTTG;
extern CSetting RouteMonitor_ShowDestDTG;
extern CSetting RouteMonitor_ShowDestETA;
extern CSetting RouteMonitor_ShowDestTTG;
extern CSetting RouteMonitor_ShowUnnamedWaypoints;

}  // namespace tarnwick::opt
