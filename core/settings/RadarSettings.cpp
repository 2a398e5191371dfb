#include "core/settings/RadarSettings.h"

namespace tarnwick::opt {

const CChoiceDescriptor kRADAR_AntennaSpeedChoices{{"slow", "slow"}};
const CChoiceDescriptor kRADAR_ClutterModeChoices{{"manual", "manual"}};
const CChoiceDescriptor kRADAR_InterferenceRejectionChoices{{"0", "0"}};
const CChoiceDescriptor kRADAR_PulseLengthChoices{{"short", "short"}};
const CChoiceDescriptor kRADAR_ResolutionChoices{{"512x2048", "512x2048"}};

CSetting RADAR_AdjustHeading(SettingKind::Text, "RADAR_AdjustHeading", "0");
CSetting RADAR_AllowControl(SettingKind::Boolean, "RADAR_AllowControl", "yes");
CSetting RADAR_AntennaSpeed(SettingKind::Choice, "RADAR_AntennaSpeed", "slow", &kRADAR_AntennaSpeedChoices);
CSetting RADAR_AutoClutter(SettingKind::Boolean, "RADAR_AutoClutter", "yes");
CSetting RADAR_AutoGain(SettingKind::Boolean, "RADAR_AutoGain", "yes");
CSetting RADAR_AutoGainPreset(SettingKind::Text, "RADAR_AutoGainPreset", "4");
CSetting RADAR_AutoRange(SettingKind::Boolean, "RADAR_AutoRange", "no");
CSetting RADAR_AutoStcPreset(SettingKind::Text, "RADAR_AutoStcPreset", "12");
CSetting RADAR_AutoTune(SettingKind::Boolean, "RADAR_AutoTune", "yes");
CSetting RADAR_AutoTunePreset(SettingKind::Text, "RADAR_AutoTunePreset", "79");
CSetting RADAR_BlankSectorEnd(SettingKind::Text, "RADAR_BlankSectorEnd", "0");
CSetting RADAR_BlankSectorStart(SettingKind::Text, "RADAR_BlankSectorStart", "0");
CSetting RADAR_Broadcast(SettingKind::Boolean, "RADAR_Broadcast", "no");
CSetting RADAR_ClutterMode(SettingKind::Choice, "RADAR_ClutterMode", "manual", &kRADAR_ClutterModeChoices);
CSetting RADAR_CoarseTuning(SettingKind::Text, "RADAR_CoarseTuning", "100");
CSetting RADAR_DemoMode(SettingKind::Boolean, "RADAR_DemoMode", "off");
CSetting RADAR_DualRange(SettingKind::Boolean, "RADAR_DualRange", "no");
CSetting RADAR_EBL1(SettingKind::Text, "RADAR_EBL1", "30");
CSetting RADAR_EBL2(SettingKind::Text, "RADAR_EBL2", "330");
CSetting RADAR_FTC(SettingKind::Text, "RADAR_FTC", "10%");
CSetting RADAR_FineTuning(SettingKind::Text, "RADAR_FineTuning", "8");
CSetting RADAR_Gain(SettingKind::Text, "RADAR_Gain", "55%");
CSetting RADAR_HarborStcPreset(SettingKind::Text, "RADAR_HarborStcPreset", "10");
CSetting RADAR_HeadingLineAdjustment(SettingKind::Text, "RADAR_HeadingLineAdjustment", "0");
CSetting RADAR_IPAddress(SettingKind::Text, "RADAR_IPAddress", "");
CSetting RADAR_InterferenceRejection(SettingKind::Choice, "RADAR_InterferenceRejection", "0", &kRADAR_InterferenceRejectionChoices);
CSetting RADAR_MACAddress(SettingKind::Text, "RADAR_MACAddress", "");
CSetting RADAR_MainBangSuppression(SettingKind::Boolean, "RADAR_MainBangSuppression", "no");
CSetting RADAR_ManualGainPreset(SettingKind::Text, "RADAR_ManualGainPreset", "12");
CSetting RADAR_ManualStcPreset(SettingKind::Text, "RADAR_ManualStcPreset", "12");
CSetting RADAR_ManualTunePreset(SettingKind::Text, "RADAR_ManualTunePreset", "128");
CSetting RADAR_Model(SettingKind::Text, "RADAR_Model", "");
CSetting RADAR_ParkAngle(SettingKind::Text, "RADAR_ParkAngle", "340");
CSetting RADAR_PulseLength(SettingKind::Choice, "RADAR_PulseLength", "short", &kRADAR_PulseLengthChoices);
CSetting RADAR_Range(SettingKind::Text, "RADAR_Range", "1 nm");
CSetting RADAR_Range2(SettingKind::Text, "RADAR_Range2", "1 nm");
CSetting RADAR_Resolution(SettingKind::Choice, "RADAR_Resolution", "512x2048", &kRADAR_ResolutionChoices);
CSetting RADAR_STC(SettingKind::Text, "RADAR_STC", "72%");
CSetting RADAR_SerialNumber(SettingKind::Text, "RADAR_SerialNumber", "");
CSetting RADAR_ShowEBL1(SettingKind::Text, "RADAR_ShowEBL1", "no");
CSetting RADAR_ShowEBL2(SettingKind::Text, "RADAR_ShowEBL2", "no");
CSetting RADAR_ShowRadarScreen(SettingKind::Boolean, "RADAR_ShowRadarScreen", "no");
CSetting RADAR_ShowVRM1(SettingKind::Text, "RADAR_ShowVRM1", "no");
CSetting RADAR_ShowVRM2(SettingKind::Text, "RADAR_ShowVRM2", "no");
CSetting RADAR_Smoothing(SettingKind::Boolean, "RADAR_Smoothing", "true");
CSetting RADAR_Status(SettingKind::Text, "RADAR_Status", "");
CSetting RADAR_StcCurvePreset(SettingKind::Text, "RADAR_StcCurvePreset", "4");
CSetting RADAR_SubnetMask(SettingKind::Text, "RADAR_SubnetMask", "255.255.255.0");
CSetting RADAR_TargetExpansion(SettingKind::Boolean, "RADAR_TargetExpansion", "off");
CSetting RADAR_Transmit(SettingKind::Boolean, "RADAR_Transmit", "yes");
CSetting RADAR_TriggerDelay(SettingKind::Text, "RADAR_TriggerDelay", "124");
CSetting RADAR_VRM1(SettingKind::Text, "RADAR_VRM1", "1");
CSetting RADAR_VRM2(SettingKind::Text, "RADAR_VRM2", "0.5");
CSetting Radar_KodenBroadcast(SettingKind::Boolean, "Radar_KodenBroadcast", "false");

}  // namespace tarnwick::opt
