#pragma once
// The settings of the "DataServer" group.

#include "core/Setting.h"

namespace tarnwick::opt {

extern CSetting DataServer_Address;
extern CSetting DataServer_Enabled;
extern CSetting DataServer_Port;

}  // namespace tarnwick::opt
