#pragma once
// The settings of the "RadarOverlay" group.

#include "core/Setting.h"

namespace tarnwick::opt {

extern CSetting RadarOverlay_Opacity;
extern CSetting RadarOverlay_RadarColors;
extern CSetting RadarOverlay_ShowTLL;
extern CSetting RadarOverlay_ShowTargets;
extern CSetting RadarOverlay_ShowTools;

}  // namespace tarnwick::opt
