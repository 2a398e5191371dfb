#include "core/settings/DepartSettings.h"

namespace tarnwick::opt {

CSetting Depart_StartNewTrack(SettingKind::Boolean, "Depart_StartNewTrack", "true");

}  // namespace tarnwick::opt
