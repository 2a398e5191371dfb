#include "core/settings/VesselsPanelSettings.h"

namespace tarnwick::opt {

const CChoiceDescriptor kVesselsPanel_ModeChoices{{"open-water", "open-water"}};

CSetting VesselsPanel_Mode(SettingKind::Choice, "VesselsPanel_Mode", "open-water", &kVesselsPanel_ModeChoices);
CSetting VesselsPanel_ShowCallSigns(SettingKind::Boolean, "VesselsPanel_ShowCallSigns", "true");
CSetting VesselsPanel_ShowStationaryVessels(SettingKind::Boolean, "VesselsPanel_ShowStationaryVessels", "true");
CSetting VesselsPanel_ShowVesselsWeWontPass(SettingKind::Boolean, "VesselsPanel_ShowVesselsWeWontPass", "true");

}  // namespace tarnwick::opt
