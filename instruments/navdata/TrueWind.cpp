#include "instruments/navdata/TrueWind.h"

#include <cmath>

#include "core/geo/Geodesy.h"

namespace tarnwick {

TrueWind TrueWindFromApparent(double apparentSpeed, double apparentAngle, double boatSpeed) {
  const double a = (90.0 - apparentAngle) * kDegToRad;
  const double x = apparentSpeed * std::cos(a);
  const double y = apparentSpeed * std::sin(a) - boatSpeed;
  TrueWind wind;
  wind.speed = std::hypot(x, y);
  wind.angle = wind.speed > 0 ? NormalizeBearing(std::atan2(x, y) * kRadToDeg) : 0.0;
  return wind;
}

}  // namespace tarnwick
