#pragma once
// The settings of the "ROUTE" group.

#include "core/Setting.h"

namespace tarnwick::opt {

extern CSetting ROUTE_DepartureTime;

}  // namespace tarnwick::opt
