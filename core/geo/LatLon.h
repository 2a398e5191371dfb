#pragma once
// A position: latitude then longitude in decimal degrees, north and east positive.

namespace tarnwick {

struct LatLon {
  double lat = 0.0;  // degrees, -90..90
  double lon = 0.0;  // degrees, -180..180

  // Exact equality of both doubles.
  friend bool operator==(const LatLon&, const LatLon&) = default;
};

}  // namespace tarnwick
