#include "core/settings/SirfSettings.h"

namespace tarnwick::opt {

CSetting SIRF_FixStatic(SettingKind::Boolean, "SIRF_FixStatic", "true");

}  // namespace tarnwick::opt
