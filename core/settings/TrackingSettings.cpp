#include "core/settings/TrackingSettings.h"

namespace tarnwick::opt {

CSetting Tracking_Enabled(SettingKind::Boolean, "Tracking_Enabled", "yes");
CSetting Tracking_LostGPS(SettingKind::Text, "Tracking_LostGPS", "0s");

}  // namespace tarnwick::opt
