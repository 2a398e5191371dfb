#include "core/settings/DataServerSettings.h"

namespace tarnwick::opt {

CSetting DataServer_Address(SettingKind::Text, "DataServer_Address", "");
CSetting DataServer_Enabled(SettingKind::Boolean, "DataServer_Enabled", "false");
CSetting DataServer_Port(SettingKind::Text, "DataServer_Port", "23");

}  // namespace tarnwick::opt
