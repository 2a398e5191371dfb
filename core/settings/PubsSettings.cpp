#include "core/settings/PubsSettings.h"

namespace tarnwick::opt {

CSetting Pubs_AutoInstallCharts(SettingKind::Boolean, "Pubs_AutoInstallCharts", "true");
CSetting Pubs_AutoSync(SettingKind::Boolean, "Pubs_AutoSync", "true");
CSetting Pubs_AutoSyncPeriod(SettingKind::Text, "Pubs_AutoSyncPeriod", "6 h");
CSetting Pubs_RetrySyncPeriod(SettingKind::Text, "Pubs_RetrySyncPeriod", "15 m");

}  // namespace tarnwick::opt
