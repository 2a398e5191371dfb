#include "core/settings/HelpSettings.h"

namespace tarnwick::opt {

const CChoiceDescriptor kHelp_TextSizeChoices{{"medium", "medium"}};

CSetting Help_TextSize(SettingKind::Choice, "Help_TextSize", "medium", &kHelp_TextSizeChoices);

}  // namespace tarnwick::opt
