#pragma once
// The settings of the "BETA" group.

#include "core/Setting.h"

namespace tarnwick::opt {

extern CSetting BETA_AISBinary;
extern CSetting BETA_AllowHiddenActiveRoutes;
extern CSetting BETA_PowerMate;
extern CSetting BETA_ReloadFiles;
extern CSetting BETA_RouteSegmentSharing;

}  // namespace tarnwick::opt
