#pragma once
// The settings of the "SKnet" group.

#include "core/Setting.h"

namespace tarnwick::opt {

extern CSetting SKnet_Alpha;
extern CSetting SKnet_Password;
extern CSetting SKnet_Server;
extern CSetting SKnet_SyncAtStartup;
extern CSetting SKnet_SyncGuideBooks;
extern CSetting SKnet_Updated;
extern CSetting SKnet_UseAlternates;
extern CSetting SKnet_UseHttps;
extern CSetting SKnet_Username;

}  // namespace tarnwick::opt
