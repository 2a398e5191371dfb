#pragma once
// The settings of the "SOUNDER" group.

#include "core/Setting.h"

namespace tarnwick::opt {

extern CSetting SOUNDER_AScope;
extern CSetting SOUNDER_AutoGain;
extern CSetting SOUNDER_AutoGainHF;
extern CSetting SOUNDER_AutoGainLF;
extern CSetting SOUNDER_Background;
extern CSetting SOUNDER_BottomDetection;
extern CSetting SOUNDER_BottomDetectionThresholdHF;
extern CSetting SOUNDER_BottomDetectionThresholdLF;
extern CSetting SOUNDER_BottomStart;
extern CSetting SOUNDER_DepthMeasurement;
extern CSetting SOUNDER_Draft;
extern CSetting SOUNDER_EmphasisHF;
extern CSetting SOUNDER_EmphasisLF;
extern CSetting SOUNDER_Enhance;
extern CSetting SOUNDER_FillBottom;
extern CSetting SOUNDER_FishAlarmSignalLength;
extern CSetting SOUNDER_Frequency;
extern CSetting SOUNDER_FrequencyMode;
extern CSetting SOUNDER_GainHF;
extern CSetting SOUNDER_GainLF;
extern CSetting SOUNDER_HasSpeed;
extern CSetting SOUNDER_HasTemperature;
extern CSetting SOUNDER_ImageMode;
extern CSetting SOUNDER_InterferenceRejection;
extern CSetting SOUNDER_LevelRejection;
extern CSetting SOUNDER_LimitedBroadcast;
extern CSetting SOUNDER_LowerDepthAlarm;
extern CSetting SOUNDER_LowerFishAlarmDepth;
extern CSetting SOUNDER_LowerFishAlarmLevel;
extern CSetting SOUNDER_MixType;
extern CSetting SOUNDER_Mode;
extern CSetting SOUNDER_Power;
extern CSetting SOUNDER_PulseLengthHF;
extern CSetting SOUNDER_PulseLengthLF;
extern CSetting SOUNDER_PulseRepetitionRate;
extern CSetting SOUNDER_Range;
extern CSetting SOUNDER_STCAmplitudeHF;
extern CSetting SOUNDER_STCAmplitudeLF;
extern CSetting SOUNDER_STCDepthHF;
extern CSetting SOUNDER_STCDepthLF;
extern CSetting SOUNDER_Shift;
extern CSetting SOUNDER_ShowColorBar;
extern CSetting SOUNDER_ShowDepth;
extern CSetting SOUNDER_ShowWaterTemperature;
extern CSetting SOUNDER_Simulator;
extern CSetting SOUNDER_SonicCorrection;
extern CSetting SOUNDER_SpeedCorrection;
extern CSetting SOUNDER_TemperatureCorrection;
extern CSetting SOUNDER_TemperatureGraph;
extern CSetting SOUNDER_TimeMark;
extern CSetting SOUNDER_Transmit;
extern CSetting SOUNDER_UnitOfDepth;
extern CSetting SOUNDER_UnitOfSpeed;
extern CSetting SOUNDER_UnitOfTemperature;
extern CSetting SOUNDER_UpperDepthAlarm;
extern CSetting SOUNDER_UpperFishAlarmDepth;
extern CSetting SOUNDER_UpperFishAlarmLevel;
extern CSetting SOUNDER_WhiteLine;
extern CSetting SOUNDER_ZoomRange;
extern CSetting SOUNDER_ZoomStartingDepth;

}  // namespace tarnwick::opt
