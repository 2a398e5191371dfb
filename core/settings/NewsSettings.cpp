#include "core/settings/NewsSettings.h"

namespace tarnwick::opt {

CSetting News_LastAlert(SettingKind::Text, "News_LastAlert", "");
CSetting News_LastDisplay(SettingKind::Text, "News_LastDisplay", "");
CSetting News_Updated(SettingKind::Text, "News_Updated", "");

}  // namespace tarnwick::opt
