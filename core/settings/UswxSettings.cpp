#include "core/settings/UswxSettings.h"

namespace tarnwick::opt {

CSetting uswx_zonesupdated(SettingKind::Text, "uswx_zonesupdated", "");

}  // namespace tarnwick::opt
