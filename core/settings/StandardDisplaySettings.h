#pragma once
// The settings of the "StandardDisplay" group.

#include "core/Setting.h"

namespace tarnwick::opt {

extern CSetting StandardDisplay_FollowMode;
extern CSetting StandardDisplay_Orientation;
extern CSetting StandardDisplay_Scale;

}  // namespace tarnwick::opt
