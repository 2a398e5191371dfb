#include "core/settings/ProgramSyncTypeSettings.h"

namespace tarnwick::opt {

const CChoiceDescriptor kProgramSyncTypeChoices{{"auto", "auto"}};

CSetting ProgramSyncType(SettingKind::Choice, "ProgramSyncType", "auto", &kProgramSyncTypeChoices);

}  // namespace tarnwick::opt
