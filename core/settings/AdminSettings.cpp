#include "core/settings/AdminSettings.h"

namespace tarnwick::opt {

const CChoiceDescriptor kAdmin_LoginTypeChoices{{"none", "none"}};

CSetting Admin_LoginType(SettingKind::Choice, "Admin_LoginType", "none", &kAdmin_LoginTypeChoices);

}  // namespace tarnwick::opt
