#pragma once
// The settings of the "Print" group.

#include "core/Setting.h"

namespace tarnwick::opt {

extern CSetting Print_Printer;

}  // namespace tarnwick::opt
