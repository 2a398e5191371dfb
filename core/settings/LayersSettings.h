#pragma once
// The settings of the "Layers" group.

#include "core/Setting.h"

namespace tarnwick::opt {

extern CSetting Layers_DistanceMarkers_Visible;
extern CSetting Layers_MMSLeaseBlocks_Visible;

}  // namespace tarnwick::opt
