#pragma once
// The sentences the program writes: autopilot and repeater output, AIS
// queries. Every function returns one complete sentence ending in "*hh\r\n".
// prefix: the start character and talker, e.g. "$GP" or "$II".

#include <optional>
#include <string>
#include <string_view>

#include "core/geo/LatLon.h"

namespace tarnwick {

// Latitude as "ddmm.mmm,N" (decimals digits after the point, 0..9).
std::string NmeaLatitudeField(double latDegrees, int decimals);
// Longitude as "dddmm.mmm,E".
std::string NmeaLongitudeField(double lonDegrees, int decimals);
// "*%02X\r\n" appended to body (start character included, not checksummed).
std::string FinishNmeaSentence(std::string body);
// text with characters below 32, 127 and ! $ * , \ ^ ~ written as "^%02X";
// stops before a character that would make the result longer than maxLength.
std::string NmeaEscape(std::string_view text, size_t maxLength = 80);

// "$ECAIQ,<formatter>*hh\r\n": asks the own AIS transponder for a sentence.
std::string FormatAisQuery(std::string_view formatter);

// Arrival alarm (AAM); no value gives the empty form.
struct AamValues {
  bool arrivalCircleEntered = false;
  bool perpendicularPassed = false;
  double radiusNm = 0;
  int decimals = 2;
  std::string waypointId;
};
std::string FormatAAM(std::string_view prefix, const std::optional<AamValues>& v);

// Steering data shared by APA, APB, RMB and XTE.
struct SteeringValues {
  bool valid = true;        // data valid ('A') or warning ('V')
  double crossTrackNm = 0;  // magnitude, nautical miles
  char steer = 'L';         // direction to steer 'L' / 'R'
  int xteDecimals = 3;
  bool arrivalCircleEntered = false;
  bool perpendicularPassed = false;
  std::optional<double> bearingOriginToDestination;  // degrees
  bool bearingsMagnetic = false;  // bearings below are magnetic ('M') rather than true ('T')
  std::string originId, destinationId;
  std::optional<double> bearingToDestination;  // from present position, degrees
  std::optional<double> headingToSteer;        // degrees
  std::optional<LatLon> destination;
  std::optional<double> rangeNm;
  std::optional<double> closingKnots;
  int latLonDecimals = 3;
};
std::string FormatAPA(std::string_view prefix, const std::optional<SteeringValues>& v);
std::string FormatAPB(std::string_view prefix, const std::optional<SteeringValues>& v);
std::string FormatRMB(std::string_view prefix, const SteeringValues& v);
std::string FormatXTE(std::string_view prefix, const SteeringValues& v);

// Bearing origin to destination (degrees true and magnetic).
std::string FormatBOD(std::string_view prefix, std::optional<double> bearingTrue,
                      std::optional<double> bearingMagnetic, std::string_view destinationId,
                      std::string_view originId);

// Bearing and distance to waypoint, great circle (BWC) or rhumb line (BWR).
struct BearingDistanceValues {
  int hours = 0, minutes = 0, seconds = 0;  // UTC of the observation
  LatLon waypoint;
  int latLonDecimals = 3;
  std::optional<double> bearingTrue, bearingMagnetic;  // degrees
  double distanceNm = 0;
  int distanceDecimals = 2;
  std::string waypointId;
};
std::string FormatBWC(std::string_view prefix, const BearingDistanceValues& v);
std::string FormatBWR(std::string_view prefix, const BearingDistanceValues& v);

// Heading with variation (degrees, East positive).
std::string FormatHDG(std::string_view prefix, std::optional<double> headingMagnetic,
                      std::optional<double> variation);
std::string FormatHDT(std::string_view prefix, std::optional<double> headingTrue);
// Heading steering command, degrees.
std::string FormatHSC(std::string_view prefix, std::optional<double> headingTrue,
                      std::optional<double> headingMagnetic);

// Wind direction and speed (MWD, true, degrees and knots).
struct WindValues {
  double directionTrue = 0, directionMagnetic = 0;  // degrees
  double speedKnots = 0;
};
std::string FormatMWD(std::string_view prefix, const std::optional<WindValues>& v);
// Relative wind angle (degrees) and speed (knots).
std::string FormatMWV(std::string_view prefix, std::optional<double> angle,
                      std::optional<double> speedKnots);

// Recommended minimum data (RMC).
struct RmcValues {
  int hours = 0, minutes = 0;
  double seconds = 0;
  bool valid = true;
  LatLon position;
  int latLonDecimals = 4;
  double sogKnots = 0;
  int sogDecimals = 1;
  std::optional<double> cogTrue;  // degrees
  int day = 1, month = 1, year = 2000;
  std::optional<double> variation;  // degrees, East positive
  char mode = 'A';
};
std::string FormatRMC(std::string_view prefix, const RmcValues& v);

// Water speed and heading (degrees, knots).
std::string FormatVHW(std::string_view prefix, std::optional<double> headingTrue,
                      std::optional<double> headingMagnetic, std::optional<double> speedKnots,
                      int decimals = 1);
// Course and speed over ground.
std::string FormatVTG(std::string_view prefix, std::optional<double> cogTrue,
                      std::optional<double> cogMagnetic, double sogKnots, int decimals = 1);
// Distance to waypoint, great circle (WDC) or rhumb line (WDR), nautical miles.
std::string FormatWDC(std::string_view prefix, double distanceNm, std::string_view waypointId,
                      int decimals = 2);
std::string FormatWDR(std::string_view prefix, double distanceNm, std::string_view waypointId,
                      int decimals = 2);
// Waypoint location.
std::string FormatWPL(std::string_view prefix, const LatLon& position, std::string_view id,
                      int decimals = 3);

}  // namespace tarnwick
