#include "core/settings/ScreenSettings.h"

namespace tarnwick::opt {

CSetting Screen_Brightness(SettingKind::Text, "Screen_Brightness", "100%");

}  // namespace tarnwick::opt
