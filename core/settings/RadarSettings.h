#pragma once
// The settings of the "RADAR" and "Radar" groups.

#include "core/Setting.h"

namespace tarnwick::opt {

extern CSetting RADAR_AdjustHeading;
extern CSetting RADAR_AllowControl;
extern CSetting RADAR_AntennaSpeed;
extern CSetting RADAR_AutoClutter;
extern CSetting RADAR_AutoGain;
extern CSetting RADAR_AutoGainPreset;
extern CSetting RADAR_AutoRange;
extern CSetting RADAR_AutoStcPreset;
extern CSetting RADAR_AutoTune;
extern CSetting RADAR_AutoTunePreset;
extern CSetting RADAR_BlankSectorEnd;
extern CSetting RADAR_BlankSectorStart;
extern CSetting RADAR_Broadcast;
extern CSetting RADAR_ClutterMode;
extern CSetting RADAR_CoarseTuning;
extern CSetting RADAR_DemoMode;
extern CSetting RADAR_DualRange;
extern CSetting RADAR_EBL1;
extern CSetting RADAR_EBL2;
extern CSetting RADAR_FTC;
extern CSetting RADAR_FineTuning;
extern CSetting RADAR_Gain;
extern CSetting RADAR_HarborStcPreset;
extern CSetting RADAR_HeadingLineAdjustment;
extern CSetting RADAR_IPAddress;
extern CSetting RADAR_InterferenceRejection;
extern CSetting RADAR_MACAddress;
extern CSetting RADAR_MainBangSuppression;
extern CSetting RADAR_ManualGainPreset;
extern CSetting RADAR_ManualStcPreset;
extern CSetting RADAR_ManualTunePreset;
extern CSetting RADAR_Model;
extern CSetting RADAR_ParkAngle;
extern CSetting RADAR_PulseLength;
extern CSetting RADAR_Range;
extern CSetting RADAR_Range2;
extern CSetting RADAR_Resolution;
extern CSetting RADAR_STC;
extern CSetting RADAR_SerialNumber;
extern CSetting RADAR_ShowEBL1;
extern CSetting RADAR_ShowEBL2;
extern CSetting RADAR_ShowRadarScreen;
extern CSetting RADAR_ShowVRM1;
extern CSetting RADAR_ShowVRM2;
extern CSetting RADAR_Smoothing;
extern CSetting RADAR_Status;
extern CSetting RADAR_StcCurvePreset;
extern CSetting RADAR_SubnetMask;
extern CSetting RADAR_TargetExpansion;
extern CSetting RADAR_Transmit;
extern CSetting RADAR_TriggerDelay;
extern CSetting RADAR_VRM1;
extern CSetting RADAR_VRM2;
extern CSetting Radar_KodenBroadcast;

}  // namespace tarnwick::opt
