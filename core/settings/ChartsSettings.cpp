#include "core/settings/ChartsSettings.h"

namespace tarnwick::opt {

CSetting Charts_ChangeInstallationFolder(SettingKind::Text, "Charts_ChangeInstallationFolder", "");
CSetting Charts_InstallationFolder(SettingKind::Text, "Charts_InstallationFolder", "");

}  // namespace tarnwick::opt
