#pragma once
// The sensor selections of the navigation data store: "Auto" for automatic
// selection, the sensor's index among the sensors of its kind ("0", "1", ...)
// for a manual choice, and "DR" (PositionSensor only) for dead reckoning.

#include "core/Setting.h"

namespace tarnwick::opt {

extern CSetting AisSensor;
extern CSetting DepthSensor;
extern CSetting HeadingSensor;
extern CSetting PositionSensor;

}  // namespace tarnwick::opt
