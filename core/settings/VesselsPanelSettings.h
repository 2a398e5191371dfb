#pragma once
// The settings of the "VesselsPanel" group.

#include "core/Setting.h"

namespace tarnwick::opt {

extern CSetting VesselsPanel_Mode;
extern CSetting VesselsPanel_ShowCallSigns;
extern CSetting VesselsPanel_ShowStationaryVessels;
extern CSetting VesselsPanel_ShowVesselsWeWontPass;

}  // namespace tarnwick::opt
