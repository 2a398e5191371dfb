#include "core/settings/StandardDisplaySettings.h"

namespace tarnwick::opt {

const CChoiceDescriptor kStandardDisplay_FollowModeChoices{{"center", "center"}};

CSetting StandardDisplay_FollowMode(SettingKind::Choice, "StandardDisplay_FollowMode", "center", &kStandardDisplay_FollowModeChoices);
CSetting StandardDisplay_Orientation(SettingKind::Text, "StandardDisplay_Orientation", "north-up");
CSetting StandardDisplay_Scale(SettingKind::Text, "StandardDisplay_Scale", "1:10,000");

}  // namespace tarnwick::opt
