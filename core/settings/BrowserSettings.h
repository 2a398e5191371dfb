#pragma once
// The settings of the "Browser" group.

#include "core/Setting.h"

namespace tarnwick::opt {

extern CSetting Browser_HideInstruments;
extern CSetting Browser_HorizontalSplit;
extern CSetting Browser_Orient;
extern CSetting Browser_TextScale;
extern CSetting Browser_VerticalSplit;
extern CSetting Browser_Width;

}  // namespace tarnwick::opt
