#pragma once
// The settings of the "CSB" group.

#include "core/Setting.h"

namespace tarnwick::opt {

extern CSetting CSB_Enabled;
extern CSetting CSB_MaxLogSize;
extern CSetting CSB_MinLogSize;
extern CSetting CSB_SamplePeriod;
extern CSetting CSB_SamplePeriodSlow;

}  // namespace tarnwick::opt
