#include "core/settings/AlertsSettings.h"

namespace tarnwick::opt {

const CChoiceDescriptor kAlerts_AudioDeviceChoices{{"beeper", "beeper"}};
const CChoiceDescriptor kAlerts_WhichVoiceChoices{};

CSetting Alerts_AudioDevice(SettingKind::Choice, "Alerts_AudioDevice", "beeper", &kAlerts_AudioDeviceChoices);
CSetting Alerts_BoundaryCrossing(SettingKind::Boolean, "Alerts_BoundaryCrossing", "true");
CSetting Alerts_CourseUpdateAtWaypoints(SettingKind::Boolean, "Alerts_CourseUpdateAtWaypoints", "true");
CSetting Alerts_DepthAbove(SettingKind::Boolean, "Alerts_DepthAbove", "false");
CSetting Alerts_DepthAboveValue(SettingKind::Text, "Alerts_DepthAboveValue", "1000 ft");
CSetting Alerts_DepthBelow(SettingKind::Boolean, "Alerts_DepthBelow", "false");
CSetting Alerts_DepthBelowValue(SettingKind::Text, "Alerts_DepthBelowValue", "10 ft");
CSetting Alerts_EnableVoiceAlerts(SettingKind::Boolean, "Alerts_EnableVoiceAlerts", "true");
CSetting Alerts_LookAhead(SettingKind::Text, "Alerts_LookAhead", "1 min");
CSetting Alerts_Obstacles(SettingKind::Boolean, "Alerts_Obstacles", "true");
CSetting Alerts_ObstacleSweepWidth(SettingKind::Text, "Alerts_ObstacleSweepWidth", "0 m");
CSetting Alerts_SpeechRate(SettingKind::Text, "Alerts_SpeechRate", "0");
CSetting Alerts_TimeBetweenAlerts(SettingKind::Text, "Alerts_TimeBetweenAlerts", "30 secs");
CSetting Alerts_Volume(SettingKind::Text, "Alerts_Volume", "100");
CSetting Alerts_WhichVoice(SettingKind::Choice, "Alerts_WhichVoice", "", &kAlerts_WhichVoiceChoices);
CSetting Alerts_XTEOver(SettingKind::Boolean, "Alerts_XTEOver", "true");
CSetting Alerts_XTEOverValue(SettingKind::Text, "Alerts_XTEOverValue", "0.25 NM");

}  // namespace tarnwick::opt
