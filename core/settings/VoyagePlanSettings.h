#pragma once
// The settings of the "VoyagePlan" group.

#include "core/Setting.h"

namespace tarnwick::opt {

extern CSetting VoyagePlan_PrintChartlet;
extern CSetting VoyagePlan_PrintOrientation;
extern CSetting VoyagePlan_PrintPages;
extern CSetting VoyagePlan_PrintVesselName;

}  // namespace tarnwick::opt
