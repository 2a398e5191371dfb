#pragma once
// The settings of the "Developer" group.

#include "core/Setting.h"

namespace tarnwick::opt {

extern CSetting Developer_Console;

}  // namespace tarnwick::opt
