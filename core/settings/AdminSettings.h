#pragma once
// The settings of the "Admin" group.

#include "core/Setting.h"

namespace tarnwick::opt {

extern CSetting Admin_LoginType;

}  // namespace tarnwick::opt
