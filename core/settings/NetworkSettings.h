#pragma once
// The settings of the "Network" group.

#include "core/Setting.h"

namespace tarnwick::opt {

extern CSetting Network_BaseWwwFolder;
extern CSetting Network_HttpPort;
extern CSetting Network_Mode;
extern CSetting Network_SyncChartView;

}  // namespace tarnwick::opt
