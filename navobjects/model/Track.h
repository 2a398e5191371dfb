#pragma once
// A recorded track: a list of timed positions with optional depths, and the
// values that control how the track-recording engine adds points.

#include <vector>

#include "navobjects/model/NavObject.h"

namespace tarnwick {

struct TrackPoint {
  FileTime time;  // 0 = no time
  LatLon position;
  double depthMetres = 0;  // 0 = no depth
  friend bool operator==(const TrackPoint&, const TrackPoint&) = default;
};

class CTrack final : public CNavObject {
 public:
  CTrack() : CNavObject(Descriptor()) {}
  static const CClassDescriptor& Descriptor();

  std::vector<TrackPoint> points;

  // Sum of the distances between consecutive points, nautical miles.
  double TotalLengthNm() const;
  // Seconds from the first to the last timed point; 0 with fewer than two.
  double TotalTimeSeconds() const;
  // Knots over the timed span; 0 when it has no duration.
  double AverageSpeedKnots() const;
  // The effective distance interval, nautical miles (0.05 NM when unset).
  double DistanceIntervalNm() const;

  bool trackingByTimeInterval = false;
  double trackingTimeIntervalSeconds = 60;
  bool trackingByDistanceInterval = true;
  Length trackingDistanceInterval;
  bool trackingByCourseChange = false;
  double trackingCourseChangeDegrees = 5;
  bool enableWake = false;
  double wakeLengthSeconds = 600;
  Rgb color = kRgbRed;
  FileTime startTime;
};

}  // namespace tarnwick
