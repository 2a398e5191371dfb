#include "core/settings/RouteMonitorSettings.h"

namespace tarnwick::opt {

CSetting RouteMonitor_ShowActiveDTG(SettingKind::Boolean, "RouteMonitor_ShowActiveDTG", "true");
CSetting RouteMonitor_ShowActiveETA(SettingKind::Boolean, "RouteMonitor_ShowActiveETA", "true");
CSetting RouteMonitor_ShowActiveTTG(SettingKind::Boolean, "RouteMonitor_ShowActiveTTG", "true");
CSetting RouteMonitor_ShowDestDTG(SettingKind::Boolean, "RouteMonitor_ShowDestDTG", "false");
CSetting RouteMonitor_ShowDestETA(SettingKind::Boolean, "RouteMonitor_ShowDestETA", "true");
CSetting RouteMonitor_ShowDestTTG(SettingKind::Boolean, "RouteMonitor_ShowDestTTG", "false");
CSetting RouteMonitor_ShowUnnamedWaypoints(SettingKind::Boolean, "RouteMonitor_ShowUnnamedWaypoints", "true");

}  // namespace tarnwick::opt
