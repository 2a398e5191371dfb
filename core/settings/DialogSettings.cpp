#include "core/settings/DialogSettings.h"

namespace tarnwick::opt {

CSetting Dialog_FontFamily(SettingKind::Text, "Dialog_FontFamily", "");
CSetting Dialog_FontSize(SettingKind::Text, "Dialog_FontSize", "9 pt");

}  // namespace tarnwick::opt
