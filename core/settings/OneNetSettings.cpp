#include "core/settings/OneNetSettings.h"

namespace tarnwick::opt {

CSetting OneNet_MasterKey(SettingKind::Text, "OneNet_MasterKey", "");
CSetting OneNet_MasterKeyID(SettingKind::Text, "OneNet_MasterKeyID", "");

}  // namespace tarnwick::opt
