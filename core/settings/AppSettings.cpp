#include "core/settings/AppSettings.h"

namespace tarnwick::opt {

const CChoiceDescriptor kAPP_ThemeChoices{{"dark", "dark"}};

CSetting APP_BaseXuiFolder(SettingKind::Text, "APP_BaseXuiFolder", "");
CSetting APP_ControlScale(SettingKind::Text, "APP_ControlScale", "1");
CSetting APP_CurrentScreen(SettingKind::Text, "APP_CurrentScreen", "Screen 1");
CSetting APP_Exclusive(SettingKind::Boolean, "APP_Exclusive", "no");
CSetting APP_FocusTracking(SettingKind::Boolean, "APP_FocusTracking", "true");
CSetting APP_HideStartBar(SettingKind::Boolean, "APP_HideStartBar", "no");
CSetting APP_HighContrastCruiseMode(SettingKind::Boolean, "APP_HighContrastCruiseMode", "true");
CSetting APP_HoverMenu(SettingKind::Boolean, "APP_HoverMenu", "false");
CSetting APP_ID(SettingKind::Text, "APP_ID", "");
CSetting APP_Language(SettingKind::Text, "APP_Language", "");
CSetting APP_MaximizeAsFullScreen(SettingKind::Boolean, "APP_MaximizeAsFullScreen", "false");
CSetting APP_SavePrompts(SettingKind::Boolean, "APP_SavePrompts", "false");
CSetting APP_ShoreStation(SettingKind::Boolean, "APP_ShoreStation", "no");
CSetting APP_ShowLatLonEntryHelper(SettingKind::Boolean, "APP_ShowLatLonEntryHelper", "yes");
CSetting APP_TaskPaneWidth(SettingKind::Text, "APP_TaskPaneWidth", "");
CSetting APP_Theme(SettingKind::Choice, "APP_Theme", "dark", &kAPP_ThemeChoices);
CSetting APP_UseWinLoc(SettingKind::Text, "APP_UseWinLoc", "auto");

}  // namespace tarnwick::opt
