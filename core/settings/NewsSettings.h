#pragma once
// The settings of the "News" group.

#include "core/Setting.h"

namespace tarnwick::opt {

extern CSetting News_LastAlert;
extern CSetting News_LastDisplay;
extern CSetting News_Updated;

}  // namespace tarnwick::opt
