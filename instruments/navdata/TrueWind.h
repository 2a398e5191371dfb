#pragma once
// True wind from the apparent wind and the boat's speed.

namespace tarnwick {

struct TrueWind {
  double speed = 0;  // knots, >= 0
  double angle = 0;  // degrees clockwise from the bow, 0..360
};

// apparentSpeed and boatSpeed in knots, apparentAngle in degrees clockwise
// from the bow. With x = S cos(90 - A) and y = S sin(90 - A) - V, the true
// wind is sqrt(x^2 + y^2) at atan2(x, y).
TrueWind TrueWindFromApparent(double apparentSpeed, double apparentAngle, double boatSpeed);

}  // namespace tarnwick
