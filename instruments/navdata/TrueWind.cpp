#include "instruments/navdata/TrueWind.h"

#include <cmath>

#include "core/geo/Geodesy.h"

namespace tarnwick {
namespace {

// Below this speed (knots) the true wind is calm.
constexpr double kCalm = 1e-9;

}  // namespace

TrueWind TrueWindFromApparent(double apparentSpeed, double apparentAngle, double boatSpeed) {
  const double a = (90.0 - apparentAngle) * kDegToRad;
  const double x = apparentSpeed * std::cos(a);
  const double y = apparentSpeed * std::sin(a) - boatSpeed;
  TrueWind wind;
  wind.speed = std::hypot(x, y);
  if (wind.speed < kCalm) return TrueWind{};  // rounding noise has no direction
  wind.angle = NormalizeBearing(std::atan2(x, y) * kRadToDeg);
  return wind;
}

}  // namespace tarnwick
