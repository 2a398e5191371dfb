#include "navobjects/navigation/LegGeometry.h"

#include <cmath>

#include "core/geo/Geodesy.h"
#include "core/geo/Mercator.h"

namespace tarnwick {
namespace {

// Width of the Mercator world in metres (2 pi times the WGS 84 semi-major axis).
constexpr double kWorldWidthM = 2.0 * kPi * 6378137.0;

struct Vec {
  double x = 0;
  double y = 0;
};

// p in Mercator metres relative to origin, taken the short way round the
// 180th meridian.
Vec Relative(const LatLon& p, const MercatorPoint& origin) {
  const MercatorPoint m = MercatorForward(p.lat, p.lon);
  double dx = m.x - origin.x;
  if (dx > kWorldWidthM / 2) dx -= kWorldWidthM;
  if (dx < -kWorldWidthM / 2) dx += kWorldWidthM;
  return {dx, m.y - origin.y};
}

// v scaled to length 1, or none for a zero vector.
std::optional<Vec> Unit(const Vec& v) {
  const double length = std::hypot(v.x, v.y);
  if (!(length > 0)) return std::nullopt;
  return Vec{v.x / length, v.y / length};
}

double Dot(const Vec& a, const Vec& b) {
  return a.x * b.x + a.y * b.y;
}

}  // namespace

LegGeometry ComputeLegGeometry(const LatLon& origin, const LatLon& waypoint,
                               const LatLon& ownShip) {
  LegGeometry leg;
  leg.distanceToWaypointNm = Distance(ownShip, waypoint);
  leg.bearingToWaypoint = Bearing(ownShip, waypoint);
  leg.distanceOriginToWaypointNm = Distance(origin, waypoint);
  leg.bearingOriginToWaypoint = Bearing(origin, waypoint);
  leg.signedCrossTrackNm = origin == waypoint ? 0.0 : CrossTrackDistance(origin, waypoint, ownShip);
  leg.crossTrackNm = std::fabs(leg.signedCrossTrackNm);
  leg.steer = SteerFromCrossTrack(leg.signedCrossTrackNm);
  return leg;
}

int SteerFromCrossTrack(double signedCrossTrackNm) {
  if (signedCrossTrackNm < 0) return kSteerRight;
  if (signedCrossTrackNm > 0) return kSteerLeft;
  return kSteerNone;
}

const char* SteerText(int steer) {
  return steer == kSteerLeft ? "left" : "right";
}

PassingResult TestWaypointPassing(const LatLon& p0, const LatLon& p1, const LatLon& origin,
                                  const LatLon& w, const std::optional<LatLon>& next,
                                  double radiusNm) {
  if (p1 == p0) return PassingResult::None;
  if (Distance(p1, w) < radiusNm) return PassingResult::Inside;

  const MercatorPoint centre = MercatorForward(w.lat, w.lon);
  const Vec from0 = Relative(p0, centre);
  const Vec from1 = Relative(p1, centre);
  // The passing line goes through w; its normal is the leg's direction
  // origin -> w, turned half way towards the next leg's direction. The line
  // stays put while the vessel moves, so passing abeam outside the circle
  // crosses it. A leg without length (activated at the waypoint) takes the
  // direction from the previous position instead.
  const Vec fromOrigin = Relative(origin, centre);
  std::optional<Vec> approach = Unit(Vec{-fromOrigin.x, -fromOrigin.y});
  if (!approach) approach = Unit(Vec{-from0.x, -from0.y});
  if (!approach) return PassingResult::None;
  Vec normal = *approach;
  if (next && !(*next == w)) {
    if (const std::optional<Vec> onward = Unit(Relative(*next, centre))) {
      // A leg that turns straight back has no bisector; keep the perpendicular.
      if (auto mean = Unit(Vec{approach->x + onward->x, approach->y + onward->y})) normal = *mean;
    }
  }
  const double side0 = Dot(from0, normal);
  const double side1 = Dot(from1, normal);
  return (side0 < 0) != (side1 < 0) ? PassingResult::Passed : PassingResult::None;
}

}  // namespace tarnwick
