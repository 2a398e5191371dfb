#include "core/settings/ToolbarSettings.h"

namespace tarnwick::opt {

CSetting Toolbar_ClockShowSeconds(SettingKind::Boolean, "Toolbar_ClockShowSeconds", "false");

}  // namespace tarnwick::opt
