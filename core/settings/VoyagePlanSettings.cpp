#include "core/settings/VoyagePlanSettings.h"

namespace tarnwick::opt {

const CChoiceDescriptor kVoyagePlan_PrintOrientationChoices{{"portrait", "portrait"}};

CSetting VoyagePlan_PrintChartlet(SettingKind::Boolean, "VoyagePlan_PrintChartlet", "true");
CSetting VoyagePlan_PrintOrientation(SettingKind::Choice, "VoyagePlan_PrintOrientation", "portrait", &kVoyagePlan_PrintOrientationChoices);
CSetting VoyagePlan_PrintPages(SettingKind::Text, "VoyagePlan_PrintPages", "");
CSetting VoyagePlan_PrintVesselName(SettingKind::Boolean, "VoyagePlan_PrintVesselName", "false");

}  // namespace tarnwick::opt
