#pragma once
// The geometry of the active leg: distances, bearings and cross-track error
// from the leg origin, the waypoint and own ship, and the test whether own
// ship passed the waypoint between two position updates. Pure functions.

#include <optional>

#include "core/geo/LatLon.h"

namespace tarnwick {

// Which side to steer to get back on the leg.
enum SteerIndicator : int {
  kSteerLeft = -1,  // own ship is right of the leg
  kSteerNone = 0,   // exactly on the leg (shown as "right")
  kSteerRight = 1,  // own ship is left of the leg
};

struct LegGeometry {
  double distanceToWaypointNm = 0;        // own ship -> waypoint, nautical miles
  double bearingToWaypoint = 0;           // degrees true, 0..360
  double distanceOriginToWaypointNm = 0;  // origin -> waypoint
  double bearingOriginToWaypoint = 0;     // degrees true, 0..360
  double signedCrossTrackNm = 0;          // positive right of origin -> waypoint
  double crossTrackNm = 0;                // its absolute value
  int steer = kSteerNone;                 // SteerIndicator
};

// The leg values by the process-wide sailing mode (positions in degrees).
LegGeometry ComputeLegGeometry(const LatLon& origin, const LatLon& waypoint, const LatLon& ownShip);

// The steer indicator of a signed cross-track error: +1 when negative, -1 when
// positive, 0 when exactly 0.
int SteerFromCrossTrack(double signedCrossTrackNm);
// "right" for 0 and +1, "left" for -1.
const char* SteerText(int steer);

enum class PassingResult {
  None,    // no change, or still short of the line
  Inside,  // own ship is within the radius of the waypoint
  Passed,  // own ship crossed the passing line between the two positions
};

// Tests the waypoint w between the previous own-ship position p0 and the
// current one p1 (degrees). origin: the leg's origin; the passing line is
// perpendicular to origin -> w. next: the waypoint after w, whose leg turns
// the line onto the bisector of the turn. radiusNm: the arrival radius (0: no
// circle). The line is found in Mercator metres. p1 == p0 always gives None.
PassingResult TestWaypointPassing(const LatLon& p0, const LatLon& p1, const LatLon& origin,
                                  const LatLon& w, const std::optional<LatLon>& next,
                                  double radiusNm);

}  // namespace tarnwick
