#pragma once
// Navigation mathematics on a sphere where one nautical mile is one minute of
// arc: distance and bearing (great circle or rhumb line), destination point and
// cross-track distance. Pure functions; the only shared state is the sailing
// mode, an atomic written when the unit settings change.

#include "core/geo/LatLon.h"

namespace tarnwick {

inline constexpr double kPi = 3.14159265358979323846;
inline constexpr double kDegToRad = 0.017453292519943295;
inline constexpr double kRadToDeg = 57.29577951308232;
// Earth radius in nautical miles (10800 / pi) and its inverse (radians per mile).
inline constexpr double kEarthRadiusNm = 3437.7467707849396;
inline constexpr double kRadiansPerNm = 0.0002908882086657216;

// How distances and bearings between two positions are measured.
enum class Sailing : int {
  RhumbLine = 0,    // constant bearing, "mercator" in the settings
  GreatCircle = 1,  // shortest path, "great-circle"
};

// The process-wide sailing mode (rhumb line until the unit settings are read).
// Lock-free; safe from any thread.
Sailing SailingMode();
void SetSailingMode(Sailing sailing);

// Nautical miles between a and b by the process-wide sailing mode; exactly 0
// when a == b.
double Distance(const LatLon& a, const LatLon& b);
double Distance(const LatLon& a, const LatLon& b, Sailing sailing);
// Great-circle nautical miles.
double GreatCircleDistance(const LatLon& a, const LatLon& b);
// Rhumb-line nautical miles, the short way round across the 180th meridian.
double RhumbLineDistance(const LatLon& a, const LatLon& b);

// Degrees true in [0, 360) from a towards b: the initial great-circle bearing or
// the constant rhumb-line bearing by the sailing mode.
double Bearing(const LatLon& a, const LatLon& b);
double Bearing(const LatLon& a, const LatLon& b, Sailing sailing);
double GreatCircleBearing(const LatLon& a, const LatLon& b);
double RhumbLineBearing(const LatLon& a, const LatLon& b);

// The great-circle destination from start after nm nautical miles on the
// initial true bearing bearingDeg (degrees); longitude in -180..180.
LatLon DestinationPoint(const LatLon& start, double nm, double bearingDeg);

// Nautical miles of point from the track start -> end, positive to the right of
// the track. Distance and bearings follow the sailing mode (or the one given).
double CrossTrackDistance(const LatLon& start, const LatLon& end, const LatLon& point);
double CrossTrackDistance(const LatLon& start, const LatLon& end, const LatLon& point,
                          Sailing sailing);
// The same, without sign.
double AbsoluteCrossTrackDistance(const LatLon& start, const LatLon& end, const LatLon& point);

// Degrees reduced into [0, 360); an exact 360 after reduction becomes 0.
double NormalizeBearing(double degrees);
// Degrees of longitude brought into -180..180.
double NormalizeLongitude(double degrees);

}  // namespace tarnwick
