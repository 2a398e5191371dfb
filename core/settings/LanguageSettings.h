#pragma once
// The settings of the "Language" group.

#include "core/Setting.h"

namespace tarnwick::opt {

extern CSetting Language;

}  // namespace tarnwick::opt
