// Sentences of other navigators and of the radar: RMB, BOD, RSD, WPL, RTE,
// ZFO, ZTG, TTM, TLL, TLB.

#include <algorithm>
#include <cmath>

#include "core/Log.h"
#include "instruments/nmea/NmeaDecodeContext.h"
#include "instruments/nmea/NmeaFieldReaders.h"

namespace tarnwick {
namespace {

std::optional<double> WithUnit(const NmeaDecodeContext& c, size_t i, char unit) {
  if (NmeaChar(c.F(i + 1)) != unit) return std::nullopt;
  return NmeaNumber(c.F(i));
}

// hhmmss.ss as seconds.
std::optional<double> Duration(std::string_view field) {
  std::optional<double> value = NmeaNumber(field);
  if (!value || *value < 0) return std::nullopt;
  const double hours = std::floor(*value / 10000.0);
  const double minutes = std::floor((*value - hours * 10000.0) / 100.0);
  return hours * 3600.0 + minutes * 60.0 + (*value - hours * 10000.0 - minutes * 100.0);
}

// The radar target of the number in field 1, or nullptr (with message) when
// the number is outside the list.
RadarTarget* Target(NmeaDecodeContext& c, const char* message) {
  std::optional<int> number = NmeaInteger(c.F(1));
  if (!number || *number < 0 || *number >= RadarTargetList::kMaxTargets) {
    LogDebug("%s", message);
    return nullptr;
  }
  RadarTarget& target = c.data.radarTargets.targets[*number];
  target.number = *number;
  target.tick = c.tick;
  return &target;
}

}  // namespace

void DecodeRMB(NmeaDecodeContext& c) {
  ExternalRouteValues& r = c.data.route;
  const char status = NmeaChar(c.F(1));
  if (status)
    r.status.Set(status, c.tick);
  else
    r.status.SetInvalid(c.tick);
  r.crossTrackError.Set(NmeaNumber(c.F(2)), c.tick);
  const char steer = NmeaChar(c.F(3));
  r.steer.Set(steer == 'L' ? -1 : steer == 'R' ? 1 : 0, c.tick);
  r.originId = std::string(c.F(4));
  r.destinationId = std::string(c.F(5));
  if (!c.F(6).empty() && !c.F(8).empty()) {
    r.destination.Set(LatLon{NmeaAngle(c.F(6), c.F(7)), NmeaAngle(c.F(8), c.F(9))}, c.tick);
  } else {
    r.destination.SetInvalid(c.tick);
  }
  r.range.Set(NmeaNumber(c.F(10)), c.tick);
  r.bearing.Set(NmeaNumber(c.F(11)), c.tick);
  r.closingVelocity.Set(NmeaNumber(c.F(12)), c.tick);
  const char arrival = NmeaChar(c.F(13));
  if (arrival)
    r.arrival.Set(arrival, c.tick);
  else
    r.arrival.SetInvalid(c.tick);
}

void DecodeBOD(NmeaDecodeContext& c) {
  ExternalRouteValues& r = c.data.route;
  std::optional<double> bearingTrue = WithUnit(c, 1, 'T');
  std::optional<double> bearingMagnetic = WithUnit(c, 3, 'M');
  r.bodTrue.Set(bearingTrue, c.tick);
  r.bodMagnetic.Set(bearingMagnetic, c.tick);
  if (!bearingTrue && !c.F(1).empty()) LogDebug("\tBOD: Invalid true bearing!\n");
  if (!bearingMagnetic && !c.F(3).empty()) LogDebug("\tBOD: Invalid magnetic bearing!\n");
  r.bodDestinationId = std::string(c.F(5));
  r.bodOriginId = std::string(c.F(6));
}

void DecodeRSD(NmeaDecodeContext& c) {
  RadarSystemValues& r = c.data.radar;
  for (size_t i = 0; i < r.numbers.size(); ++i) r.numbers[i].Set(NmeaNumber(c.F(i + 1)), c.tick);
  const char units = NmeaChar(c.F(12));
  if (units == 'K' || units == 'N' || units == 'S')
    r.rangeUnits.Set(units, c.tick);
  else
    r.rangeUnits.SetInvalid(c.tick);
  const char rotation = NmeaChar(c.F(13));
  if (rotation == 'C' || rotation == 'H' || rotation == 'N')
    r.rotation.Set(rotation, c.tick);
  else
    r.rotation.SetInvalid(c.tick);
}

void DecodeWPL(NmeaDecodeContext& c) {
  ReceivedRoute& route = c.data.receivedRoute;
  ReceivedWaypoint waypoint{std::string(c.F(5)),
                            LatLon{NmeaAngle(c.F(1), c.F(2)), NmeaAngle(c.F(3), c.F(4))}};
  route.tick = c.tick;
  auto it = std::find_if(route.waypoints.begin(), route.waypoints.end(),
                         [&](const ReceivedWaypoint& w) { return w.id == waypoint.id; });
  if (it != route.waypoints.end()) {
    *it = std::move(waypoint);
    return;
  }
  if (route.waypoints.size() >= ReceivedRoute::kMaxWaypoints) {
    LogDebug("Too many waypoints!\n");
    return;
  }
  route.waypoints.push_back(std::move(waypoint));
}

void DecodeRTE(NmeaDecodeContext& c) {
  ReceivedRoute& route = c.data.receivedRoute;
  const char mode = NmeaChar(c.F(3));
  if (mode != 'c' && mode != 'C' && mode != 'w' && mode != 'W') {
    LogDebug("\tUnknown message mode (%s)\n", std::string(c.F(3)).c_str());
    return;
  }
  const int total = NmeaInteger(c.F(1)).value_or(1);
  const int number = NmeaInteger(c.F(2)).value_or(1);
  if (number <= 1 || std::string_view(route.routeId) != c.F(4)) {
    route.routeWaypointIds.clear();
    route.sentencesReceived = 0;
    route.complete = false;
  }
  route.mode = mode == 'c' || mode == 'C' ? 'C' : 'W';
  route.routeId = std::string(c.F(4));
  route.sentencesExpected = total;
  ++route.sentencesReceived;
  route.tick = c.tick;
  for (size_t i = 5; i < c.Count(); ++i) {
    if (route.routeWaypointIds.size() >= ReceivedRoute::kMaxWaypoints) {
      LogDebug("Too many waypoints!\n");
      break;
    }
    if (!c.F(i).empty()) route.routeWaypointIds.emplace_back(c.F(i));
  }
  route.complete = number >= total;
}

void DecodeZFO(NmeaDecodeContext& c) {
  c.data.route.timeFromOrigin.Set(Duration(c.F(2)), c.tick);
  c.data.route.zfoId = std::string(c.F(3));
}

void DecodeZTG(NmeaDecodeContext& c) {
  c.data.route.timeToGo.Set(Duration(c.F(2)), c.tick);
  c.data.route.ztgId = std::string(c.F(3));
}

void DecodeTTM(NmeaDecodeContext& c) {
  RadarTarget* t = Target(c, "\tTTM: invalid target number\n");
  if (!t) return;
  t->distance = NmeaNumber(c.F(2)).value_or(0.0);
  t->bearing = NmeaNumber(c.F(3)).value_or(0.0);
  t->bearingReference = NmeaChar(c.F(4));
  t->speed = NmeaNumber(c.F(5)).value_or(0.0);
  t->course = NmeaNumber(c.F(6)).value_or(0.0);
  t->courseReference = NmeaChar(c.F(7));
  t->cpaDistance = NmeaNumber(c.F(8)).value_or(0.0);
  t->tcpaMinutes = NmeaNumber(c.F(9)).value_or(0.0);
  t->distanceUnit = NmeaChar(c.F(10));
  t->name = NmeaUnescape(c.F(11));
  t->status = NmeaChar(c.F(12));
  t->reference = NmeaChar(c.F(13));
  t->timeOfDay = std::string(c.F(14));
}

void DecodeTLL(NmeaDecodeContext& c) {
  RadarTarget* t = Target(c, "\tTLL: invalid target number\n");
  if (!t) return;
  t->position = LatLon{NmeaAngle(c.F(2), c.F(3)), NmeaAngle(c.F(4), c.F(5))};
  t->hasPosition = !c.F(2).empty() && !c.F(4).empty();
  t->name = NmeaUnescape(c.F(6));
  t->timeOfDay = std::string(c.F(7));
  t->status = NmeaChar(c.F(8));
  t->reference = NmeaChar(c.F(9));
}

void DecodeTLB(NmeaDecodeContext& c) {
  for (size_t i = 1; i + 1 < c.Count(); i += 2) {
    std::optional<int> number = NmeaInteger(c.F(i));
    if (!number || *number < 0 || *number >= RadarTargetList::kMaxTargets) continue;
    RadarTarget& target = c.data.radarTargets.targets[*number];
    target.number = *number;
    target.name = NmeaUnescape(c.F(i + 1));
  }
}

}  // namespace tarnwick
