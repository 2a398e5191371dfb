#pragma once
// The settings of the "NetMux" group.

#include "core/Setting.h"

namespace tarnwick::opt {

extern CSetting NetMux_AutoConnect;

}  // namespace tarnwick::opt
