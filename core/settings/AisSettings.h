#pragma once
// The settings of the "AIS" group.

#include "core/Setting.h"

namespace tarnwick::opt {

extern CSetting AIS_AssumeStationaryTargetsAreSafe;
extern CSetting AIS_AutoActivateAll;
extern CSetting AIS_AutoActivateByCPA;
extern CSetting AIS_AutoActivateCPA;
extern CSetting AIS_AutoActivateTCPA;
extern CSetting AIS_BoundaryCrossingAlarm;
extern CSetting AIS_DangerCPA;
extern CSetting AIS_DangerTCPA;
extern CSetting AIS_DefaultVesselColor;
extern CSetting AIS_Destination;
extern CSetting AIS_Draft;
extern CSetting AIS_EstimatedTimeOfArrival;
extern CSetting AIS_FlashLostAndDangerousTargets;
extern CSetting AIS_HideLostTargetsAfter;
extern CSetting AIS_HilightDangerZones;
extern CSetting AIS_Logging;
extern CSetting AIS_LostTargetAlert;
// The most targets kept; beyond it the oldest that are not dangerous are dropped.
extern CSetting AIS_MaxTargets;
extern CSetting AIS_NavigationalStatus;
extern CSetting AIS_Override_GPSLocation;
extern CSetting AIS_Override_HeadingOffset;
extern CSetting AIS_OwnShipCallSign;
extern CSetting AIS_OwnShipDimA;
extern CSetting AIS_OwnShipDimB;
extern CSetting AIS_OwnShipDimC;
extern CSetting AIS_OwnShipDimD;
extern CSetting AIS_OwnShipMMSI;
extern CSetting AIS_OwnShipName;
extern CSetting AIS_OwnShipType;
extern CSetting AIS_Password;
extern CSetting AIS_PersonsOnBoard;
extern CSetting AIS_ShowAidsToNavigation;
extern CSetting AIS_ShowBaseStations;
extern CSetting AIS_ShowCPA;
extern CSetting AIS_ShowClassBTargets;
extern CSetting AIS_ShowDeadReckonedPosition;
extern CSetting AIS_ShowEnvironmentalReports;
extern CSetting AIS_ShowGeographicNotices;
extern CSetting AIS_ShowOwnShip;
extern CSetting AIS_ShowPredictedPassingPoints;
extern CSetting AIS_ShowPredictedPath;
extern CSetting AIS_ShowPredictors;
extern CSetting AIS_ShowRouteInformation;
extern CSetting AIS_ShowSarPatterns;
extern CSetting AIS_ShowSearchAndRescuePlanes;
extern CSetting AIS_ShowSleepingTargetsToScale;
extern CSetting AIS_ShowTracks;
extern CSetting AIS_ShowVesselNames;
extern CSetting AIS_ShowVesselSpeeds;
extern CSetting AIS_ShowVessels;
extern CSetting AIS_ShowWaterwaysManagement;
extern CSetting AIS_TrackLength;
extern CSetting AIS_UpdateOnDepart;
extern CSetting AIS_UpdateOnTowChange;
extern CSetting AIS_UpdateOwnShipInfoAutomatically;

}  // namespace tarnwick::opt
