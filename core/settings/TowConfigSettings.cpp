#include "core/settings/TowConfigSettings.h"

namespace tarnwick::opt {

CSetting TowConfig_WindowRect(SettingKind::Text, "TowConfig_WindowRect", "");

}  // namespace tarnwick::opt
