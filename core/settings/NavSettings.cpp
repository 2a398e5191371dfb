#include "core/settings/NavSettings.h"

namespace tarnwick::opt {

const CChoiceDescriptor kNAV_FilterETAChoices{{"0", "0"}};

CSetting NAV_FilterETA(SettingKind::Choice, "NAV_FilterETA", "0", &kNAV_FilterETAChoices);
CSetting NAV_NMEA2000Autopilot(SettingKind::Boolean, "NAV_NMEA2000Autopilot", "true");
CSetting NAV_NMEA2000GPS(SettingKind::Boolean, "NAV_NMEA2000GPS", "false");
CSetting NAV_NMEA2000MAG(SettingKind::Boolean, "NAV_NMEA2000MAG", "false");
CSetting Nav_UseCompass(SettingKind::Boolean, "Nav_UseCompass", "true");
// Whether the heading of a VHW sentence may stand in for a missing true heading.
CSetting Nav_UseVHWHeading(SettingKind::Boolean, "Nav_UseVHWHeading", "true");

}  // namespace tarnwick::opt
