#pragma once
// The settings of the "Depart" group.

#include "core/Setting.h"

namespace tarnwick::opt {

extern CSetting Depart_StartNewTrack;

}  // namespace tarnwick::opt
