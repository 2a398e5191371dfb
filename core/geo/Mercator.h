#pragma once
// The chart projection: Mercator on the WGS 84 ellipsoid, scale 1 at the
// equator, x = a * longitude, no false origin. All chart geometry is held in
// these projected metres.

#include <optional>
#include <span>

#include "core/geo/LatLon.h"

namespace tarnwick {

// Projected metres east (x) and north (y) of the equator at Greenwich.
struct MercatorPoint {
  double x = 0.0;
  double y = 0.0;
};

// Latitude and longitude in radians, north and east positive.
struct GeoRadians {
  double lat = 0.0;  // -pi/2..pi/2
  double lon = 0.0;  // -pi..pi
};

// Degrees (latitude -90..90, any longitude) -> metres. Longitudes are brought
// into -180..180; latitudes within 1e-10 rad of a pole are clamped short of it.
MercatorPoint MercatorForward(double latDeg, double lonDeg);
// The same from radians.
MercatorPoint MercatorForwardRadians(double latRad, double lonRad);
// Projects points[i] into out[i] for i < min(points.size(), out.size()).
void MercatorForward(std::span<const LatLon> points, std::span<MercatorPoint> out);

// Metres -> degrees (longitude -180..180), or none when the latitude iteration
// does not converge within 16 rounds (non-finite input).
std::optional<LatLon> MercatorInverse(double x, double y);
// The same in radians.
std::optional<GeoRadians> MercatorInverseRadians(double x, double y);

}  // namespace tarnwick
