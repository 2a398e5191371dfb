#include "core/settings/RncSettings.h"

namespace tarnwick::opt {

CSetting RNC_ShowChartNoteLinks(SettingKind::Boolean, "RNC_ShowChartNoteLinks", "true");

}  // namespace tarnwick::opt
