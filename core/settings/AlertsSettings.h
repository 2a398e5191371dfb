#pragma once
// The settings of the "Alerts" group.

#include "core/Setting.h"

namespace tarnwick::opt {

extern CSetting Alerts_AudioDevice;
extern CSetting Alerts_BoundaryCrossing;
extern CSetting Alerts_CourseUpdateAtWaypoints;
extern CSetting Alerts_DepthAbove;
extern CSetting Alerts_DepthAboveValue;
extern CSetting Alerts_DepthBelow;
extern CSetting Alerts_DepthBelowValue;
extern CSetting Alerts_EnableVoiceAlerts;
extern CSetting Alerts_LookAhead;
extern CSetting Alerts_Obstacles;
// The width of the band the obstacle look-ahead sweeps; 0: the ship's beam
// (OwnShip_Beam, 10 m when not set) and a margin of 20 m on either side.
extern CSetting Alerts_ObstacleSweepWidth;
extern CSetting Alerts_SpeechRate;
extern CSetting Alerts_TimeBetweenAlerts;
extern CSetting Alerts_Volume;
extern CSetting Alerts_WhichVoice;
extern CSetting Alerts_XTEOver;
extern CSetting Alerts_XTEOverValue;

}  // namespace tarnwick::opt
