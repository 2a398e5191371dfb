#pragma once
// The settings of the "Dialog" group.

#include "core/Setting.h"

namespace tarnwick::opt {

extern CSetting Dialog_FontFamily;
extern CSetting Dialog_FontSize;

}  // namespace tarnwick::opt
