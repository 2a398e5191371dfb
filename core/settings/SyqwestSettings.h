#pragma once
// The settings of the "Syqwest" group.

#include "core/Setting.h"

namespace tarnwick::opt {

extern CSetting Syqwest_ClutterControl;
extern CSetting Syqwest_GainHF;
extern CSetting Syqwest_GainLF;
extern CSetting Syqwest_GainModeHF;
extern CSetting Syqwest_GainModeLF;
extern CSetting Syqwest_RepeatRate;

}  // namespace tarnwick::opt
