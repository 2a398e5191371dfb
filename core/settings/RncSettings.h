#pragma once
// The settings of the "RNC" group.

#include "core/Setting.h"

namespace tarnwick::opt {

extern CSetting RNC_ShowChartNoteLinks;

}  // namespace tarnwick::opt
