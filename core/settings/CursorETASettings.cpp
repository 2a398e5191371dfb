#include "core/settings/CursorETASettings.h"

namespace tarnwick::opt {

CSetting CursorETA_ShowETA(SettingKind::Boolean, "CursorETA_ShowETA", "true");
CSetting CursorETA_ShowTTG(SettingKind::Boolean, "CursorETA_ShowTTG", "true");

}  // namespace tarnwick::opt
