#pragma once
// The settings of the "NAV" and "Nav" groups.

#include "core/Setting.h"

namespace tarnwick::opt {

extern CSetting NAV_FilterETA;
extern CSetting NAV_NMEA2000Autopilot;
extern CSetting NAV_NMEA2000GPS;
extern CSetting NAV_NMEA2000MAG;
extern CSetting Nav_UseCompass;
extern CSetting Nav_UseVHWHeading;

}  // namespace tarnwick::opt
