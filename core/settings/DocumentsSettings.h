#pragma once
// The settings of the "Documents" group.

#include "core/Setting.h"

namespace tarnwick::opt {

extern CSetting Documents_AutoSave;
extern CSetting Documents_AutoSaveInterval;

}  // namespace tarnwick::opt
