#pragma once
// The settings of the "Charts" group.

#include "core/Setting.h"

namespace tarnwick::opt {

extern CSetting Charts_ChangeInstallationFolder;
extern CSetting Charts_InstallationFolder;

}  // namespace tarnwick::opt
