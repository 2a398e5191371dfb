#include "core/settings/DocumentsSettings.h"

namespace tarnwick::opt {

CSetting Documents_AutoSave(SettingKind::Boolean, "Documents_AutoSave", "yes");
CSetting Documents_AutoSaveInterval(SettingKind::Text, "Documents_AutoSaveInterval", "1 min");

}  // namespace tarnwick::opt
