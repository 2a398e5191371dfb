#include "core/geo/Geodesy.h"

#include <algorithm>
#include <atomic>
#include <cmath>

namespace tarnwick {

namespace {

std::atomic<int> g_sailing{static_cast<int>(Sailing::RhumbLine)};

// Below this latitude difference (radians) a rhumb line counts as due east or
// west and its departure uses the cosine of the start latitude.
constexpr double kRhumbEastWest = 3.162277660168379e-08;

// Isometric-latitude ratio term of the spherical Mercator.
double MercatorLatitudeTerm(double phi) {
  return std::tan(phi / 2.0 + kPi / 4.0);
}

// Radians of longitude brought into -pi..pi.
double NormalizeLongitudeRadians(double lambda) {
  if (lambda >= 0.0) return std::fmod(lambda + kPi, 2.0 * kPi) - kPi;
  return kPi - std::fmod(kPi - lambda, 2.0 * kPi);
}

}  // namespace

Sailing SailingMode() {
  return static_cast<Sailing>(g_sailing.load(std::memory_order_relaxed));
}

void SetSailingMode(Sailing sailing) {
  g_sailing.store(static_cast<int>(sailing), std::memory_order_relaxed);
}

double NormalizeBearing(double degrees) {
  double d = std::fmod(degrees, 360.0);
  if (d < 0.0) d += 360.0;
  if (d >= 360.0) d = 0.0;  // fmod of a tiny negative plus 360 rounds to 360
  return d;
}

double NormalizeLongitude(double degrees) {
  if (degrees >= 0.0) return std::fmod(degrees + 180.0, 360.0) - 180.0;
  return 180.0 - std::fmod(180.0 - degrees, 360.0);
}

double GreatCircleDistance(const LatLon& a, const LatLon& b) {
  if (a == b) return 0.0;
  const double phi1 = a.lat * kDegToRad, phi2 = b.lat * kDegToRad;
  const double dLambda = (a.lon - b.lon) * kDegToRad;
  double c = std::sin(phi1) * std::sin(phi2) + std::cos(phi1) * std::cos(phi2) * std::cos(dLambda);
  // Rounding can push nearly equal points just past 1, where acos is undefined.
  c = std::clamp(c, -1.0, 1.0);
  return std::acos(c) * kEarthRadiusNm;
}

double RhumbLineDistance(const LatLon& a, const LatLon& b) {
  if (a == b) return 0.0;
  const double phi1 = a.lat * kDegToRad, phi2 = b.lat * kDegToRad;
  const double dPhi = phi2 - phi1;
  double dLambda = std::fabs(b.lon - a.lon) * kDegToRad;
  if (dLambda > kPi) dLambda = 2.0 * kPi - dLambda;
  double q;
  if (std::fabs(dPhi) < kRhumbEastWest)
    q = std::cos(phi1);
  else
    q = dPhi / std::log(MercatorLatitudeTerm(phi2) / MercatorLatitudeTerm(phi1));
  return std::sqrt(q * q * dLambda * dLambda + dPhi * dPhi) * kEarthRadiusNm;
}

double Distance(const LatLon& a, const LatLon& b, Sailing sailing) {
  return sailing == Sailing::GreatCircle ? GreatCircleDistance(a, b) : RhumbLineDistance(a, b);
}

double Distance(const LatLon& a, const LatLon& b) {
  return Distance(a, b, SailingMode());
}

double GreatCircleBearing(const LatLon& a, const LatLon& b) {
  const double phi1 = a.lat * kDegToRad, phi2 = b.lat * kDegToRad;
  const double dLambda = (b.lon - a.lon) * kDegToRad;
  const double theta = std::atan2(
      std::sin(dLambda) * std::cos(phi2),
      std::cos(phi1) * std::sin(phi2) - std::sin(phi1) * std::cos(phi2) * std::cos(dLambda));
  return NormalizeBearing(theta * kRadToDeg);
}

double RhumbLineBearing(const LatLon& a, const LatLon& b) {
  // atan2(0, 0); at the south pole the ratio below would be 0/0.
  if (a == b) return 0.0;
  const double phi1 = a.lat * kDegToRad, phi2 = b.lat * kDegToRad;
  double dLambda = (b.lon - a.lon) * kDegToRad;
  if (dLambda < -kPi) dLambda += 2.0 * kPi;
  if (dLambda > kPi) dLambda -= 2.0 * kPi;
  const double dPsi = std::log(MercatorLatitudeTerm(phi2) / MercatorLatitudeTerm(phi1));
  return NormalizeBearing(std::atan2(dLambda, dPsi) * kRadToDeg);
}

double Bearing(const LatLon& a, const LatLon& b, Sailing sailing) {
  return sailing == Sailing::GreatCircle ? GreatCircleBearing(a, b) : RhumbLineBearing(a, b);
}

double Bearing(const LatLon& a, const LatLon& b) {
  return Bearing(a, b, SailingMode());
}

LatLon DestinationPoint(const LatLon& start, double nm, double bearingDeg) {
  const double delta = nm * kRadiansPerNm;
  const double theta = bearingDeg * kDegToRad;
  const double phi1 = start.lat * kDegToRad, lambda1 = start.lon * kDegToRad;
  const double sinPhi2 = std::clamp(
      std::sin(phi1) * std::cos(delta) + std::cos(phi1) * std::sin(delta) * std::cos(theta), -1.0,
      1.0);
  const double phi2 = std::asin(sinPhi2);
  const double lambda2 = lambda1 + std::atan2(std::sin(theta) * std::sin(delta) * std::cos(phi1),
                                              std::cos(delta) - std::sin(phi1) * sinPhi2);
  return LatLon{phi2 * kRadToDeg, NormalizeLongitudeRadians(lambda2) * kRadToDeg};
}

double CrossTrackDistance(const LatLon& start, const LatLon& end, const LatLon& point,
                          Sailing sailing) {
  const double d13 = Distance(start, point, sailing);
  const double theta13 = Bearing(start, point, sailing) * kDegToRad;
  const double theta12 = Bearing(start, end, sailing) * kDegToRad;
  return std::asin(std::sin(d13 * kRadiansPerNm) * std::sin(theta13 - theta12)) * kEarthRadiusNm;
}

double CrossTrackDistance(const LatLon& start, const LatLon& end, const LatLon& point) {
  return CrossTrackDistance(start, end, point, SailingMode());
}

double AbsoluteCrossTrackDistance(const LatLon& start, const LatLon& end, const LatLon& point) {
  return std::fabs(CrossTrackDistance(start, end, point));
}

}  // namespace tarnwick
