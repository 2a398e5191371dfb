#include "core/settings/ItemsSettings.h"

namespace tarnwick::opt {

CSetting Items_ListFleetLayers(SettingKind::Boolean, "Items_ListFleetLayers", "true");

}  // namespace tarnwick::opt
