#include "core/settings/ConditionsSettings.h"

namespace tarnwick::opt {

CSetting Conditions_ShowMetarStations(SettingKind::Boolean, "Conditions_ShowMetarStations", "true");
CSetting Conditions_ShowNdbcStations(SettingKind::Boolean, "Conditions_ShowNdbcStations", "true");
CSetting Conditions_ShowRiverStageStations(SettingKind::Boolean, "Conditions_ShowRiverStageStations", "true");

}  // namespace tarnwick::opt
