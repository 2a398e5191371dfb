#include "core/settings/StartupSettings.h"

namespace tarnwick::opt {

CSetting Startup_NoDisclaimer(SettingKind::Boolean, "Startup_NoDisclaimer", "false");
CSetting Startup_ShowWelcome(SettingKind::Boolean, "Startup_ShowWelcome", "true");

}  // namespace tarnwick::opt
