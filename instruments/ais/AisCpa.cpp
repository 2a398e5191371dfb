#include "instruments/ais/AisCpa.h"

#include <cmath>

#include "core/geo/Geodesy.h"

namespace tarnwick {
namespace {

// Knots become the relative-motion units of the assessment: 60 x one nautical
// mile in radians (the product equals pi / 180).
constexpr double kSpeedScale = 60.0 * kRadiansPerNm;
// Below this squared relative speed the two vessels keep station: no CPA.
constexpr double kMinRelativeSpeedSquared = 0.0001;

}  // namespace

CpaResult AssessCpa(const LatLon& own, double ownCog, double ownSog, const LatLon& target,
                    double targetCog, double targetSog) {
  CpaResult result;
  result.bearing = static_cast<int>(std::floor(Bearing(own, target) + 0.5)) % 360;
  result.range = Distance(own, target);

  const double vo = ownSog * kSpeedScale;
  const double vt = targetSog * kSpeedScale;
  const double co = ownCog * kDegToRad;
  const double ct = targetCog * kDegToRad;
  const double north = vt * std::cos(ct) - vo * std::cos(co);
  const double east = vt * std::sin(ct) - vo * std::sin(co);
  const double beta = result.bearing * kDegToRad;
  const double r = result.range;
  const double d = r * (std::sin(beta) * east + std::cos(beta) * north);
  if (d >= 0.0) return result;  // not closing
  const double speed2 = north * north + east * east;
  if (speed2 < kMinRelativeSpeedSquared) return result;

  const double root = r * r - d * d / speed2;
  result.cpa = root < 0.0 ? 0.0 : std::sqrt(root);
  const double tcpa = -d / speed2 * 60.0 + 0.5;
  result.tcpa = tcpa >= 2147483647.0 ? 2147483647 : static_cast<int>(tcpa);
  result.ownAtCpa = DestinationPoint(own, ownSog * *result.tcpa / 3600.0, ownCog);
  return result;
}

bool IsDangerousApproach(const CpaResult& result, double targetSog, bool inMonitoredArea,
                         const AisAssessmentSettings& settings) {
  if (inMonitoredArea || !result.cpa || !result.tcpa) return false;
  if (settings.stationaryTargetsAreSafe && targetSog <= 0.5) return false;
  return *result.cpa < settings.dangerCpaNm && *result.tcpa < settings.dangerTcpaSeconds;
}

}  // namespace tarnwick
