#pragma once
// The settings of the "Conditions" group.

#include "core/Setting.h"

namespace tarnwick::opt {

extern CSetting Conditions_ShowMetarStations;
extern CSetting Conditions_ShowNdbcStations;
extern CSetting Conditions_ShowRiverStageStations;

}  // namespace tarnwick::opt
