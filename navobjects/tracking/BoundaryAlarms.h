#pragma once
// Boundary alarms: own ship crossing a boundary line and speed limits inside
// a boundary area. Each message is raised once when its condition starts, not
// while it persists. Entering and leaving the boundary circles of marks is the
// route navigator's to announce (CNavController), with or without a route.

#include <memory>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "navobjects/model/NavObject.h"
#include "navobjects/tracking/OwnShipInput.h"

namespace tarnwick {

inline constexpr const char* kCrossedBoundaryText = "Warning! Crossed boundary line!";
inline constexpr const char* kSpeedTooHighFormat = "Speed is too high (%.1f kts).";
inline constexpr const char* kSpeedTooLowFormat = "Speed is too low (%.1f kts).";

class CBoundaryAlarms {
 public:
  // Checks own ship against the boundaries among objects (other objects are
  // passed over); posts and speaks each new message and returns them.
  std::vector<std::string> Update(const OwnShipInput& ship,
                                  const std::vector<std::shared_ptr<CNavObject>>& objects);

 private:
  struct SpeedState {
    bool tooHigh = false;
    bool tooLow = false;
  };
  std::optional<LatLon> previous_;
  std::unordered_map<std::string, SpeedState> speed_;  // by boundary id
};

// Planar geometry on a local projection around own ship, good for the
// distances boundaries span (longitudes are taken the short way round).
bool SegmentsIntersect(const LatLon& a1, const LatLon& a2, const LatLon& b1, const LatLon& b2);
bool PointInPolygon(const LatLon& point, const std::vector<LatLon>& polygon);

}  // namespace tarnwick
