#pragma once
// The settings of the "Customize" group.

#include "core/Setting.h"

namespace tarnwick::opt {

extern CSetting Customize_InstrumentDataItem;
extern CSetting Customize_InstrumentSource;
extern CSetting Customize_InstrumentType;
extern CSetting Customize_ShowGrid;
extern CSetting Customize_SnapToGrid;

}  // namespace tarnwick::opt
