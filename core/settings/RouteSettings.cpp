#include "core/settings/RouteSettings.h"

namespace tarnwick::opt {

CSetting ROUTE_DepartureTime(SettingKind::DateTime, "ROUTE_DepartureTime", "");

}  // namespace tarnwick::opt
