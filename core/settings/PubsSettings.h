#pragma once
// The settings of the "Pubs" group.

#include "core/Setting.h"

namespace tarnwick::opt {

extern CSetting Pubs_AutoInstallCharts;
extern CSetting Pubs_AutoSync;
extern CSetting Pubs_AutoSyncPeriod;
extern CSetting Pubs_RetrySyncPeriod;

}  // namespace tarnwick::opt
