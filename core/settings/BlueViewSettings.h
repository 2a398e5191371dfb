#pragma once
// The settings of the "BlueView" group.

#include "core/Setting.h"

namespace tarnwick::opt {

extern CSetting BlueView_PanAndTiltInverted;
extern CSetting BlueView_PanAndTiltPort;
extern CSetting BlueView_PanInstalled;
extern CSetting BlueView_TiltInstalled;

}  // namespace tarnwick::opt
