#include "core/settings/SKnetSettings.h"

namespace tarnwick::opt {

CSetting SKnet_Alpha(SettingKind::Boolean, "SKnet_Alpha", "false");
CSetting SKnet_Password(SettingKind::Text, "SKnet_Password", "");
// The maker's network service host, for synchronising routes and settings.
CSetting SKnet_Server(SettingKind::Text, "SKnet_Server", "sync.tarnwick-ecs.org");
CSetting SKnet_SyncAtStartup(SettingKind::Boolean, "SKnet_SyncAtStartup", "true");
CSetting SKnet_SyncGuideBooks(SettingKind::Boolean, "SKnet_SyncGuideBooks", "true");
CSetting SKnet_Updated(SettingKind::Text, "SKnet_Updated", "");
CSetting SKnet_UseAlternates(SettingKind::Boolean, "SKnet_UseAlternates", "false");
CSetting SKnet_UseHttps(SettingKind::Boolean, "SKnet_UseHttps", "false");
CSetting SKnet_Username(SettingKind::Text, "SKnet_Username", "");

}  // namespace tarnwick::opt
