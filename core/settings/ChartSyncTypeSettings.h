#pragma once
// The settings of the "ChartSyncType" group.

#include "core/Setting.h"

namespace tarnwick::opt {

extern CSetting ChartSyncType;

}  // namespace tarnwick::opt
