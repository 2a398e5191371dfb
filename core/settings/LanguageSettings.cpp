#include "core/settings/LanguageSettings.h"

namespace tarnwick::opt {

const CChoiceDescriptor kLanguageChoices{};

CSetting Language(SettingKind::Choice, "Language", "", &kLanguageChoices);

}  // namespace tarnwick::opt
