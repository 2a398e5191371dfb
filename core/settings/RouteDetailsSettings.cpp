#include "core/settings/RouteDetailsSettings.h"

namespace tarnwick::opt {

CSetting RouteDetails_ShowObstacles(SettingKind::Boolean, "RouteDetails_ShowObstacles", "true");
CSetting RouteDetails_ShowSeconds(SettingKind::Boolean, "RouteDetails_ShowSeconds", "false");
CSetting RouteDetails_ShowWarnings(SettingKind::Boolean, "RouteDetails_ShowWarnings", "true");

}  // namespace tarnwick::opt
