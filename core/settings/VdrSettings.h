#pragma once
// The settings of the "VDR" group.

#include "core/Setting.h"

namespace tarnwick::opt {

extern CSetting VDR_AIS;
extern CSetting VDR_AllNavigationData;
extern CSetting VDR_DataLog;
extern CSetting VDR_FishFinderImage;
extern CSetting VDR_KeepFor;
extern CSetting VDR_RadarImage;
extern CSetting VDR_RecordVoyageData;
extern CSetting VDR_RepeatData;
extern CSetting VDR_Video;
extern CSetting VDR_VideoRate;

}  // namespace tarnwick::opt
