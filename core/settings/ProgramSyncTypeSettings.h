#pragma once
// The settings of the "ProgramSyncType" group.

#include "core/Setting.h"

namespace tarnwick::opt {

extern CSetting ProgramSyncType;

}  // namespace tarnwick::opt
