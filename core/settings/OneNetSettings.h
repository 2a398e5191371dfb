#pragma once
// The settings of the "OneNet" group.

#include "core/Setting.h"

namespace tarnwick::opt {

extern CSetting OneNet_MasterKey;
extern CSetting OneNet_MasterKeyID;

}  // namespace tarnwick::opt
