#pragma once
// The settings of the "GuideBook" group.

#include "core/Setting.h"

namespace tarnwick::opt {

extern CSetting GuideBook_MaptechAerialPhotos;
extern CSetting GuideBook_MaptechMarineFacilities;
extern CSetting GuideBook_NGASailingDirections;
extern CSetting GuideBook_USACEPorts;
extern CSetting GuideBook_USCoastPilot;

}  // namespace tarnwick::opt
