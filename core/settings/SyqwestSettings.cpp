#include "core/settings/SyqwestSettings.h"

namespace tarnwick::opt {

const CChoiceDescriptor kSyqwest_GainModeHFChoices{{"auto-cruise", "auto-cruise"}};
const CChoiceDescriptor kSyqwest_GainModeLFChoices{{"auto-cruise", "auto-cruise"}};

CSetting Syqwest_ClutterControl(SettingKind::Text, "Syqwest_ClutterControl", "0");
CSetting Syqwest_GainHF(SettingKind::Text, "Syqwest_GainHF", "30");
CSetting Syqwest_GainLF(SettingKind::Text, "Syqwest_GainLF", "30");
CSetting Syqwest_GainModeHF(SettingKind::Choice, "Syqwest_GainModeHF", "auto-cruise", &kSyqwest_GainModeHFChoices);
CSetting Syqwest_GainModeLF(SettingKind::Choice, "Syqwest_GainModeLF", "auto-cruise", &kSyqwest_GainModeLFChoices);
CSetting Syqwest_RepeatRate(SettingKind::Text, "Syqwest_RepeatRate", "10");

}  // namespace tarnwick::opt
