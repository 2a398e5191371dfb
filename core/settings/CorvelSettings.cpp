#include "core/settings/CorvelSettings.h"

namespace tarnwick::opt {

CSetting Corvel_ShowUdp(SettingKind::Boolean, "Corvel_ShowUdp", "false");

}  // namespace tarnwick::opt
