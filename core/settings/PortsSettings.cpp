#include "core/settings/PortsSettings.h"

namespace tarnwick::opt {

CSetting Ports_NoOverlappedIO(SettingKind::Boolean, "Ports_NoOverlappedIO", "false");

}  // namespace tarnwick::opt
