#include "core/settings/NetworkSettings.h"

#include "core/SettingValues.h"

namespace tarnwick::opt {

const CChoiceDescriptor kNetwork_ModeChoices{{"client", "client"}};
// 0 means the program's usual port.
const CValueDescriptor kNetwork_HttpPortValues{SettingValueKind::Integer, 0, 65535};

CSetting Network_BaseWwwFolder(SettingKind::Text, "Network_BaseWwwFolder", "");
CSetting Network_HttpPort(SettingKind::Text, "Network_HttpPort", "0", &kNetwork_HttpPortValues);
CSetting Network_HttpHostNames(SettingKind::Text, "Network_HttpHostNames", "");
CSetting Network_Mode(SettingKind::Choice, "Network_Mode", "client", &kNetwork_ModeChoices);
CSetting Network_SyncChartView(SettingKind::Boolean, "Network_SyncChartView", "false");

}  // namespace tarnwick::opt
