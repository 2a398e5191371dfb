#include "core/settings/ChartSyncTypeSettings.h"

namespace tarnwick::opt {

const CChoiceDescriptor kChartSyncTypeChoices{{"auto", "auto"}};

CSetting ChartSyncType(SettingKind::Choice, "ChartSyncType", "auto", &kChartSyncTypeChoices);

}  // namespace tarnwick::opt
