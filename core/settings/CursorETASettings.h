#pragma once
// The settings of the "CursorETA" group.

#include "core/Setting.h"

namespace tarnwick::opt {

extern CSetting CursorETA_ShowETA;
extern CSetting CursorETA_ShowTTG;

}  // namespace tarnwick::opt
