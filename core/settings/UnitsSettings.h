#pragma once
// The settings of the "Units" group.

#include "core/Setting.h"

namespace tarnwick::opt {

extern CSetting Units_AirPressure;
extern CSetting Units_BearingFormat;
extern CSetting Units_Depth;
extern CSetting Units_Distance;
extern CSetting Units_Fuel;
extern CSetting Units_Height;
extern CSetting Units_LocationFormat;
extern CSetting Units_Sailing;
extern CSetting Units_SlideSpeed;
extern CSetting Units_Speed;
extern CSetting Units_Temperature;
extern CSetting Units_TimeFormat;
extern CSetting Units_WindSpeed;

}  // namespace tarnwick::opt
