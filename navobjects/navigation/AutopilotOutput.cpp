#include "navobjects/navigation/AutopilotOutput.h"

#include "core/Clock.h"
#include "core/geo/Geodesy.h"
#include "core/geo/MagneticVariation.h"
#include "core/units/UnitSystem.h"
#include "instruments/nmea/NmeaOutput.h"

namespace tarnwick {
namespace {

constexpr int64_t kMsPerDay = 86'400'000;

// A true bearing (degrees) as magnetic at where.
double ToMagnetic(double trueDegrees, const LatLon& where) {
  return NormalizeBearing(trueDegrees - MagneticVariationDegrees(where));
}

SteeringValues Steering(const ActiveLeg& leg, bool magnetic) {
  const LegGeometry& g = leg.geometry;
  auto reference = [&](double bearing, const LatLon& where) {
    return magnetic ? ToMagnetic(bearing, where) : bearing;
  };
  SteeringValues v;
  v.valid = leg.positionCurrent;
  v.crossTrackNm = g.crossTrackNm;
  v.steer = g.steer == kSteerLeft ? 'L' : 'R';
  v.arrivalCircleEntered = leg.insideArrivalCircle;
  v.perpendicularPassed = leg.passed;
  v.bearingsMagnetic = magnetic;
  v.bearingOriginToDestination = reference(g.bearingOriginToWaypoint, leg.origin);
  v.originId = leg.originName;
  v.destinationId = leg.waypointName;
  v.bearingToDestination = reference(g.bearingToWaypoint, leg.ownShip);
  v.headingToSteer = v.bearingToDestination;
  v.destination = leg.waypoint;
  v.rangeNm = g.distanceToWaypointNm;
  v.closingKnots = leg.closingKnots;
  return v;
}

}  // namespace

std::vector<std::string> ComposeLegSentences(const ActiveLeg& leg, bool magnetic, int64_t utcMs) {
  const SteeringValues trueSteering = Steering(leg, false);
  const LegGeometry& g = leg.geometry;

  BearingDistanceValues bwc;
  const int64_t msOfDay = ((utcMs % kMsPerDay) + kMsPerDay) % kMsPerDay;
  bwc.hours = static_cast<int>(msOfDay / 3'600'000);
  bwc.minutes = static_cast<int>(msOfDay / 60'000 % 60);
  bwc.seconds = static_cast<int>(msOfDay / 1000 % 60);
  bwc.waypoint = leg.waypoint;
  // BWC is the great-circle bearing and distance whatever the sailing mode.
  const double bearing = GreatCircleBearing(leg.ownShip, leg.waypoint);
  bwc.bearingTrue = bearing;
  bwc.bearingMagnetic = ToMagnetic(bearing, leg.ownShip);
  bwc.distanceNm = GreatCircleDistance(leg.ownShip, leg.waypoint);
  bwc.waypointId = leg.waypointName;

  return {
      FormatRMB(kAutopilotPrefix, trueSteering),
      FormatAPB(kAutopilotPrefix, magnetic ? Steering(leg, true) : trueSteering),
      FormatXTE(kAutopilotPrefix, trueSteering),
      FormatBOD(kAutopilotPrefix, g.bearingOriginToWaypoint,
                ToMagnetic(g.bearingOriginToWaypoint, leg.origin), leg.waypointName,
                leg.originName),
      FormatBWC(kAutopilotPrefix, bwc),
  };
}

std::vector<std::string> ComposeStopSentences() {
  SteeringValues invalid;
  invalid.valid = false;
  return {FormatAPB(kAutopilotPrefix, std::nullopt), FormatXTE(kAutopilotPrefix, invalid)};
}

CAutopilotOutput::CAutopilotOutput(const CNavController& navigation, Writer writer)
    : navigation_(navigation), writer_(std::move(writer)) {}

void CAutopilotOutput::Update() {
  const bool magnetic = UnitIndex(UnitSetting::BearingFormat) == kBearingMagnetic;
  if (navigation_.ArrivalSerial() != arrivalSerial_) {
    // The waypoint just reached, once with its arrival flags, before the
    // next leg (or the stop forms) take over.
    arrivalSerial_ = navigation_.ArrivalSerial();
    if (const std::optional<ActiveLeg>& arrived = navigation_.ArrivedLeg()) {
      for (const std::string& sentence : ComposeLegSentences(*arrived, magnetic, UtcNowMs()))
        writer_(sentence);
    }
  }
  const std::optional<ActiveLeg> leg = navigation_.Leg();
  if (!leg) {
    if (legSent_) {
      for (const std::string& sentence : ComposeStopSentences()) writer_(sentence);
      legSent_ = false;
      lastSentTick_.reset();
    }
    return;
  }
  const uint64_t now = TickCount();
  const bool changed = navigation_.WaypointSerial() != sentSerial_;
  if (!changed && lastSentTick_ && now - *lastSentTick_ < kAutopilotIntervalMs) return;
  for (const std::string& sentence : ComposeLegSentences(*leg, magnetic, UtcNowMs()))
    writer_(sentence);
  lastSentTick_ = now;
  sentSerial_ = navigation_.WaypointSerial();
  legSent_ = true;
}

}  // namespace tarnwick
