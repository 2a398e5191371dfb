#pragma once
// The settings of the "Default" group.

#include "core/Setting.h"

namespace tarnwick::opt {

extern CSetting Default_BoundaryLineColor;
extern CSetting Default_BoundaryLineSize;
extern CSetting Default_HeadingLineColor;
extern CSetting Default_HeadingLineSize;
extern CSetting Default_HeadingLineStyle;
extern CSetting Default_MarkBackgroundColor;
extern CSetting Default_MarkColorDusk;
extern CSetting Default_MarkColorNight;
extern CSetting Default_MarkDescriptionFont;
extern CSetting Default_MarkNameFont;
extern CSetting Default_MarkNameLine;
extern CSetting Default_SternLineColor;
extern CSetting Default_SternLineSize;
extern CSetting Default_SternLineStyle;
extern CSetting Default_TrackLineColor;
extern CSetting Default_TrackLineSize;

}  // namespace tarnwick::opt
