#include "core/settings/MaptechSettings.h"

namespace tarnwick::opt {

CSetting Maptech_ChartKitFolder(SettingKind::Text, "Maptech_ChartKitFolder", "C:\\ChartKit");

}  // namespace tarnwick::opt
