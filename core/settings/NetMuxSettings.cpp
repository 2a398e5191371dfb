#include "core/settings/NetMuxSettings.h"

namespace tarnwick::opt {

CSetting NetMux_AutoConnect(SettingKind::Boolean, "NetMux_AutoConnect", "yes");

}  // namespace tarnwick::opt
