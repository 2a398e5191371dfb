#include "core/geo/Mercator.h"

#include <cmath>

#include "core/geo/Datum.h"
#include "core/geo/Geodesy.h"

namespace tarnwick {

namespace {

// Latitudes closer than this (radians) to a pole are clamped to it minus this.
constexpr double kPoleClamp = 1e-10;
// The inverse stops when a round changes the latitude by less than this (radians).
constexpr double kInverseTolerance = 1e-10;
constexpr int kInverseRounds = 16;

// Brings lambda (radians) into -pi..pi: whole turns off first, then one more
// turn when it still lies above pi.
double FoldLongitude(double lambda) {
  if (std::fabs(lambda) > kPi) {
    lambda -= std::trunc(lambda / (2.0 * kPi)) * 2.0 * kPi;
    if (lambda > kPi) lambda -= 2.0 * kPi;
    if (lambda < -kPi) lambda += 2.0 * kPi;
  }
  return lambda;
}

struct Ellipse {
  double a;
  double e;
  double halfE;
};

const Ellipse& Wgs84Ellipse() {
  static const Ellipse ellipse = [] {
    const CDatum& wgs = Wgs84Datum();
    return Ellipse{wgs.SemiMajor(), wgs.Eccentricity(), wgs.Eccentricity() / 2.0};
  }();
  return ellipse;
}

MercatorPoint Project(const Ellipse& el, double phi, double lambda) {
  if (phi > kPi / 2.0 - kPoleClamp) phi = kPi / 2.0 - kPoleClamp;
  if (phi < -(kPi / 2.0 - kPoleClamp)) phi = -(kPi / 2.0 - kPoleClamp);
  const double eSinPhi = el.e * std::sin(phi);
  const double ts =
      std::tan((kPi / 2.0 - phi) / 2.0) / std::pow((1.0 - eSinPhi) / (1.0 + eSinPhi), el.halfE);
  return MercatorPoint{el.a * FoldLongitude(lambda), -el.a * std::log(ts)};
}

}  // namespace

MercatorPoint MercatorForwardRadians(double latRad, double lonRad) {
  return Project(Wgs84Ellipse(), latRad, lonRad);
}

MercatorPoint MercatorForward(double latDeg, double lonDeg) {
  return Project(Wgs84Ellipse(), latDeg * kDegToRad, lonDeg * kDegToRad);
}

void MercatorForward(std::span<const LatLon> points, std::span<MercatorPoint> out) {
  const Ellipse& el = Wgs84Ellipse();
  const size_t n = points.size() < out.size() ? points.size() : out.size();
  for (size_t i = 0; i < n; ++i)
    out[i] = Project(el, points[i].lat * kDegToRad, points[i].lon * kDegToRad);
}

std::optional<GeoRadians> MercatorInverseRadians(double x, double y) {
  const Ellipse& el = Wgs84Ellipse();
  const double t = std::exp(-y / el.a);
  double phi = kPi / 2.0 - 2.0 * std::atan(t);
  for (int round = 0; round < kInverseRounds; ++round) {
    const double eSinPhi = el.e * std::sin(phi);
    const double next =
        kPi / 2.0 - 2.0 * std::atan(t * std::pow((1.0 - eSinPhi) / (1.0 + eSinPhi), el.halfE));
    const double change = std::fabs(next - phi);
    phi = next;
    if (change < kInverseTolerance) return GeoRadians{phi, FoldLongitude(x / el.a)};
  }
  return std::nullopt;
}

std::optional<LatLon> MercatorInverse(double x, double y) {
  const std::optional<GeoRadians> r = MercatorInverseRadians(x, y);
  if (!r) return std::nullopt;
  return LatLon{r->lat * kRadToDeg, r->lon * kRadToDeg};
}

}  // namespace tarnwick
