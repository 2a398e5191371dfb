#pragma once
// The settings of the "Maptech" group.

#include "core/Setting.h"

namespace tarnwick::opt {

extern CSetting Maptech_ChartKitFolder;

}  // namespace tarnwick::opt
