#include "core/settings/DeveloperSettings.h"

namespace tarnwick::opt {

CSetting Developer_Console(SettingKind::Boolean, "Developer_Console", "false");

}  // namespace tarnwick::opt
