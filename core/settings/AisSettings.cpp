#include "core/settings/AisSettings.h"

#include "core/SettingValues.h"

namespace tarnwick::opt {

const CChoiceDescriptor kAIS_NavigationalStatusChoices{
    {"0", "Underway with engine"},
    {"1", "At anchor"},
    {"2", "Not under command"},
    {"3", "Restricted maneuverability"},
    {"4", "Constrained by draft"},
    {"5", "Moored"},
    {"6", "Aground"},
    {"7", "Fishing"},
    {"8", "Sailing"},
    {"11", "Towing astern"},
    {"12", "Pushing ahead or towing alongside"},
    {"15", "Not defined"},
};
const CChoiceDescriptor kAIS_OwnShipTypeChoices{
    {"0", "Not Available"},
    {"20", "WIG"},
    {"21", "Vessel Engaged in Towing"},
    {"23", "Light Boat"},
    {"24", "Mobile Offshore Drilling Unit"},
    {"25", "Offshore Supply Vessel"},
    {"26", "Processing Vessel"},
    {"27", "Research or Training Vessel"},
    {"28", "Public or Governmental Vessel"},
    {"29", "Autonomous or Remotely Operated Vessel"},
    {"30", "Fishing Vessel"},
    {"31", "Towing Vessel"},
    {"32", "Towing Vessel with Large Tow"},
    {"33", "Vessel Engaged in Dredging or Underwater Operations"},
    {"34", "Vessel Engaged in Diving Operations"},
    {"35", "Vessel Engaged in Military Operations"},
    {"36", "Sailing Vessel"},
    {"37", "Pleasure Craft"},
    {"40", "High Speed Craft"},
    {"50", "Pilot Vessel"},
    {"51", "Search and Rescue Vessel"},
    {"52", "Tug"},
    {"53", "Port Tender"},
    {"54", "Anti-Pollution Vessel"},
    {"55", "Law Enforcement Vessel"},
    {"57", "Towboat and Tow (US)"},
    {"58", "Medical Transport"},
    {"60", "Passenger Ship"},
    {"70", "Cargo Ship"},
    {"80", "Tanker"},
    {"90", "Other"},
};
const CChoiceDescriptor kAIS_ShowPredictedPassingPointsChoices{
    {"auto", "Of dangerous targets"}, {"yes", "Always"}, {"no", "Never"}};

CSetting AIS_AssumeStationaryTargetsAreSafe(SettingKind::Boolean, "AIS_AssumeStationaryTargetsAreSafe", "no");
CSetting AIS_AutoActivateAll(SettingKind::Boolean, "AIS_AutoActivateAll", "yes");
CSetting AIS_AutoActivateByCPA(SettingKind::Boolean, "AIS_AutoActivateByCPA", "yes");
CSetting AIS_AutoActivateCPA(SettingKind::Text, "AIS_AutoActivateCPA", "6 nm");
CSetting AIS_AutoActivateTCPA(SettingKind::Text, "AIS_AutoActivateTCPA", "6 min");
CSetting AIS_BoundaryCrossingAlarm(SettingKind::Boolean, "AIS_BoundaryCrossingAlarm", "no");
CSetting AIS_DangerCPA(SettingKind::Text, "AIS_DangerCPA", "0.25 nm");
CSetting AIS_DangerTCPA(SettingKind::Text, "AIS_DangerTCPA", "5 min");
CSetting AIS_DefaultVesselColor(SettingKind::Colour, "AIS_DefaultVesselColor", "S52:RESBL");
CSetting AIS_Destination(SettingKind::Text, "AIS_Destination", "");
CSetting AIS_Draft(SettingKind::Text, "AIS_Draft", "N/A");
CSetting AIS_EstimatedTimeOfArrival(SettingKind::DateTime, "AIS_EstimatedTimeOfArrival", "0000");
CSetting AIS_FlashLostAndDangerousTargets(SettingKind::Boolean, "AIS_FlashLostAndDangerousTargets", "yes");
CSetting AIS_HideLostTargetsAfter(SettingKind::Text, "AIS_HideLostTargetsAfter", "1 min");
CSetting AIS_HilightDangerZones(SettingKind::Boolean, "AIS_HilightDangerZones", "no");
CSetting AIS_Logging(SettingKind::Boolean, "AIS_Logging", "no");
CSetting AIS_LostTargetAlert(SettingKind::Boolean, "AIS_LostTargetAlert", "false");
const CValueDescriptor kAIS_MaxTargetsValues{SettingValueKind::Integer, 100, 1000000};
CSetting AIS_MaxTargets(SettingKind::Text, "AIS_MaxTargets", "10000", &kAIS_MaxTargetsValues);
CSetting AIS_NavigationalStatus(SettingKind::Choice, "AIS_NavigationalStatus", "15", &kAIS_NavigationalStatusChoices);
CSetting AIS_Override_GPSLocation(SettingKind::Text, "AIS_Override_GPSLocation", "");
CSetting AIS_Override_HeadingOffset(SettingKind::Text, "AIS_Override_HeadingOffset", "0");
CSetting AIS_OwnShipCallSign(SettingKind::Text, "AIS_OwnShipCallSign", "");
CSetting AIS_OwnShipDimA(SettingKind::Text, "AIS_OwnShipDimA", "N/A");
CSetting AIS_OwnShipDimB(SettingKind::Text, "AIS_OwnShipDimB", "N/A");
CSetting AIS_OwnShipDimC(SettingKind::Text, "AIS_OwnShipDimC", "N/A");
CSetting AIS_OwnShipDimD(SettingKind::Text, "AIS_OwnShipDimD", "N/A");
CSetting AIS_OwnShipMMSI(SettingKind::Text, "AIS_OwnShipMMSI", "");
CSetting AIS_OwnShipName(SettingKind::Text, "AIS_OwnShipName", "");
CSetting AIS_OwnShipType(SettingKind::Choice, "AIS_OwnShipType", "0", &kAIS_OwnShipTypeChoices);
CSetting AIS_Password(SettingKind::Text, "AIS_Password", "");
CSetting AIS_PersonsOnBoard(SettingKind::Text, "AIS_PersonsOnBoard", "0");
CSetting AIS_ShowAidsToNavigation(SettingKind::Boolean, "AIS_ShowAidsToNavigation", "no");
CSetting AIS_ShowBaseStations(SettingKind::Boolean, "AIS_ShowBaseStations", "no");
CSetting AIS_ShowCPA(SettingKind::Boolean, "AIS_ShowCPA", "false");
CSetting AIS_ShowClassBTargets(SettingKind::Boolean, "AIS_ShowClassBTargets", "yes");
CSetting AIS_ShowDeadReckonedPosition(SettingKind::Boolean, "AIS_ShowDeadReckonedPosition", "no");
CSetting AIS_ShowEnvironmentalReports(SettingKind::Boolean, "AIS_ShowEnvironmentalReports", "yes");
CSetting AIS_ShowGeographicNotices(SettingKind::Boolean, "AIS_ShowGeographicNotices", "yes");
CSetting AIS_ShowOwnShip(SettingKind::Boolean, "AIS_ShowOwnShip", "no");
CSetting AIS_ShowPredictedPassingPoints(SettingKind::Choice, "AIS_ShowPredictedPassingPoints", "auto", &kAIS_ShowPredictedPassingPointsChoices);
CSetting AIS_ShowPredictedPath(SettingKind::Boolean, "AIS_ShowPredictedPath", "yes");
CSetting AIS_ShowPredictors(SettingKind::Boolean, "AIS_ShowPredictors", "yes");
CSetting AIS_ShowRouteInformation(SettingKind::Boolean, "AIS_ShowRouteInformation", "yes");
CSetting AIS_ShowSarPatterns(SettingKind::Boolean, "AIS_ShowSarPatterns", "false");
CSetting AIS_ShowSearchAndRescuePlanes(SettingKind::Boolean, "AIS_ShowSearchAndRescuePlanes", "yes");
CSetting AIS_ShowSleepingTargetsToScale(SettingKind::Boolean, "AIS_ShowSleepingTargetsToScale", "true");
CSetting AIS_ShowTracks(SettingKind::Boolean, "AIS_ShowTracks", "yes");
CSetting AIS_ShowVesselNames(SettingKind::Boolean, "AIS_ShowVesselNames", "yes");
CSetting AIS_ShowVesselSpeeds(SettingKind::Boolean, "AIS_ShowVesselSpeeds", "yes");
CSetting AIS_ShowVessels(SettingKind::Boolean, "AIS_ShowVessels", "yes");
CSetting AIS_ShowWaterwaysManagement(SettingKind::Boolean, "AIS_ShowWaterwaysManagement", "yes");
CSetting AIS_TrackLength(SettingKind::Text, "AIS_TrackLength", "30 min");
CSetting AIS_UpdateOnDepart(SettingKind::Boolean, "AIS_UpdateOnDepart", "true");
CSetting AIS_UpdateOnTowChange(SettingKind::Boolean, "AIS_UpdateOnTowChange", "true");
CSetting AIS_UpdateOwnShipInfoAutomatically(SettingKind::Boolean, "AIS_UpdateOwnShipInfoAutomatically", "true");

}  // namespace tarnwick::opt
