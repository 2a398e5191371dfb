#pragma once
// The settings of the "APP" group.

#include "core/Setting.h"

namespace tarnwick::opt {

extern CSetting APP_BaseXuiFolder;
extern CSetting APP_ControlScale;
extern CSetting APP_CurrentScreen;
extern CSetting APP_Exclusive;
extern CSetting APP_FocusTracking;
extern CSetting APP_HideStartBar;
extern CSetting APP_HighContrastCruiseMode;
extern CSetting APP_HoverMenu;
extern CSetting APP_ID;
extern CSetting APP_Language;
extern CSetting APP_MaximizeAsFullScreen;
extern CSetting APP_SavePrompts;
extern CSetting APP_ShoreStation;
extern CSetting APP_ShowLatLonEntryHelper;
extern CSetting APP_TaskPaneWidth;
extern CSetting APP_Theme;
extern CSetting APP_UseWinLoc;

}  // namespace tarnwick::opt
