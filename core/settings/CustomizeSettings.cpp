#include "core/settings/CustomizeSettings.h"

namespace tarnwick::opt {

CSetting Customize_InstrumentDataItem(SettingKind::Text, "Customize_InstrumentDataItem", "");
CSetting Customize_InstrumentSource(SettingKind::Text, "Customize_InstrumentSource", "");
CSetting Customize_InstrumentType(SettingKind::Text, "Customize_InstrumentType", "");
CSetting Customize_ShowGrid(SettingKind::Boolean, "Customize_ShowGrid", "true");
CSetting Customize_SnapToGrid(SettingKind::Boolean, "Customize_SnapToGrid", "true");

}  // namespace tarnwick::opt
