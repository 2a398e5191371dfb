#pragma once
// The settings of the "Items" group.

#include "core/Setting.h"

namespace tarnwick::opt {

extern CSetting Items_ListFleetLayers;

}  // namespace tarnwick::opt
