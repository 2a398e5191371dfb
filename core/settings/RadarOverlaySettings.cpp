#include "core/settings/RadarOverlaySettings.h"

namespace tarnwick::opt {

const CChoiceDescriptor kRadarOverlay_RadarColorsChoices{{"green", "green"}};

CSetting RadarOverlay_Opacity(SettingKind::Text, "RadarOverlay_Opacity", "75%");
CSetting RadarOverlay_RadarColors(SettingKind::Choice, "RadarOverlay_RadarColors", "green", &kRadarOverlay_RadarColorsChoices);
CSetting RadarOverlay_ShowTLL(SettingKind::Boolean, "RadarOverlay_ShowTLL", "false");
CSetting RadarOverlay_ShowTargets(SettingKind::Boolean, "RadarOverlay_ShowTargets", "true");
CSetting RadarOverlay_ShowTools(SettingKind::Boolean, "RadarOverlay_ShowTools", "false");

}  // namespace tarnwick::opt
