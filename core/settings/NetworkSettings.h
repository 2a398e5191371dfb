#pragma once
// The settings of the "Network" group.

#include "core/Setting.h"

namespace tarnwick::opt {

extern CSetting Network_BaseWwwFolder;
extern CSetting Network_HttpPort;
// Further host names the page may be opened by (besides 127.0.0.1, localhost
// and [::1]), separated by commas or blanks.
extern CSetting Network_HttpHostNames;
extern CSetting Network_Mode;
extern CSetting Network_SyncChartView;

}  // namespace tarnwick::opt
