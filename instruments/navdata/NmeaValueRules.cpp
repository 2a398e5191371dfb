#include "instruments/navdata/NmeaValueRules.h"

#include <algorithm>
#include <cmath>

#include "core/geo/Geodesy.h"

namespace tarnwick {
namespace {

constexpr double kKnotsPerKmh = 0.5399568;
constexpr double kKnotsPerMetrePerSecond = 1.9438447;

using Reading = std::optional<NavReading>;

Reading From(const NavValue<double>& v, uint64_t now, double scale = 1.0) {
  if (!v.Current(now)) return std::nullopt;
  return NavReading{v.value * scale, v.tick};
}

// The first current reading of the list.
template <typename... R>
Reading First(R... readings) {
  Reading result;
  ((result = result ? result : readings), ...);
  return result;
}

Reading Sum(const Reading& a, const Reading& b) {
  if (!a || !b) return std::nullopt;
  return NavReading{a->value + b->value, std::min(a->tick, b->tick)};
}

Reading Bearing360(Reading r) {
  if (r) r->value = NormalizeBearing(r->value);
  return r;
}

// Variation in degrees, East positive: HDG's own, else the RMC's.
Reading Variation(const NavSourceData& d, uint64_t now) {
  return First(From(d.heading.variation, now), From(d.rmcVariation, now, -1.0));
}

// The magnetic heading of the compass: sensor heading plus deviation when known.
Reading CompassMagnetic(const NavSourceData& d, uint64_t now, const NmeaValueOptions& o) {
  if (!o.useCompass) return std::nullopt;
  Reading sensor = From(d.heading.magnetic, now);
  if (!sensor) return sensor;
  if (Reading deviation = From(d.heading.deviation, now)) return Sum(sensor, deviation);
  return sensor;
}

Reading HeadingTrue(const NavSourceData& d, uint64_t now, const NmeaValueOptions& o) {
  const bool thsUsable = !(d.heading.thsMode.Current(now) && d.heading.thsMode.value == 'V');
  if (thsUsable) {
    if (Reading ths = From(d.heading.trueThs, now)) return ths;
  }
  if (Reading hdt = From(d.heading.trueHdt, now)) return hdt;
  if (Reading compass = Sum(CompassMagnetic(d, now, o), Variation(d, now))) return compass;
  if (o.useVhwHeading) return From(d.water.headingTrue, now);
  return std::nullopt;
}

Reading HeadingMagnetic(const NavSourceData& d, uint64_t now, const NmeaValueOptions& o) {
  if (Reading compass = CompassMagnetic(d, now, o)) return compass;
  if (Reading vhw = From(d.water.headingMagnetic, now)) return vhw;
  Reading variation = Variation(d, now);
  Reading trueHeading = First(From(d.heading.trueThs, now), From(d.heading.trueHdt, now));
  if (!variation || !trueHeading) return std::nullopt;
  return NavReading{trueHeading->value - variation->value,
                    std::min(trueHeading->tick, variation->tick)};
}

// A speed from two perpendicular components: the magnitude when the
// transverse one is current, else the longitudinal one.
Reading Components(const NavValue<double>& longitudinal, const NavValue<double>& transverse,
                   uint64_t now) {
  Reading along = From(longitudinal, now);
  if (!along) return along;
  if (Reading across = From(transverse, now))
    return NavReading{std::hypot(along->value, across->value), std::min(along->tick, across->tick)};
  return along;
}

bool RmcUsable(const NavSourceData& d) {
  return d.rmc.status != 'V';
}

Reading SpeedOverGround(const NavSourceData& d, uint64_t now) {
  if (Reading vtg = From(d.vtgSogKnots, now)) return vtg;
  if (RmcUsable(d)) {
    if (Reading rmc = From(d.sog, now)) return rmc;
  }
  return Components(d.water.groundLongitudinal, d.water.groundTransverse, now);
}

Reading CourseOverGround(const NavSourceData& d, uint64_t now) {
  if (Reading vtg = From(d.vtgCogTrue, now)) return vtg;
  if (RmcUsable(d)) return From(d.cog, now);
  return std::nullopt;
}

Reading Depth(const NavSourceData& d, uint64_t now) {
  if (Reading dpt = From(d.depth.dpt, now)) {
    Reading offset = From(d.depth.offset, now);
    return offset ? Sum(dpt, offset) : dpt;
  }
  return First(From(d.depth.dbt, now), From(d.depth.belowSurface, now),
               From(d.depth.belowKeel, now));
}

Reading SpeedThroughWater(const NavSourceData& d, uint64_t now) {
  return First(From(d.water.knots, now), From(d.water.kmh, now, kKnotsPerKmh),
               Components(d.water.waterLongitudinal, d.water.waterTransverse, now));
}

// VWR/VWT: the angle off the bow to port (L) or starboard (R) as 0..360.
Reading SideAngle(const WindSideReading& w, uint64_t now) {
  Reading angle = From(w.angle, now);
  if (!angle || !w.side.Current(now)) return std::nullopt;
  angle->value = NormalizeBearing(w.side.value < 0 ? 360.0 - angle->value : angle->value);
  angle->tick = std::min(angle->tick, w.side.tick);
  return angle;
}

Reading SideSpeed(const WindSideReading& w, uint64_t now) {
  return First(From(w.knots, now), From(w.metresPerSecond, now, kKnotsPerMetrePerSecond),
               From(w.kmh, now, kKnotsPerKmh));
}

// A wind reading counts only when both its angle and speed are current.
Reading WindPart(const WindReading& mwv, const WindSideReading& side, bool speed, uint64_t now) {
  if (mwv.angle.Current(now) && mwv.speed.Current(now))
    return From(speed ? mwv.speed : mwv.angle, now);
  Reading angle = SideAngle(side, now);
  Reading knots = SideSpeed(side, now);
  if (!angle || !knots) return std::nullopt;
  return speed ? knots : angle;
}

// The newest current transducer reading of a type and unit, scaled.
Reading Transducer(const NavSourceData& d, char type, char unit, double scale, uint64_t now) {
  Reading best;
  for (const auto& t : d.transducers) {
    if (t.type != type || t.unit != unit || !t.valid || now < t.tick || now - t.tick > kNavHoldMs)
      continue;
    if (!best || t.tick > best->tick) best = NavReading{t.value * scale, t.tick};
  }
  return best;
}

Reading Pressure(const NavSourceData& d, uint64_t now) {
  return First(From(d.meteo.pressureBars, now, 1000.0),
               From(d.meteo.pressureInches, now, kMillibarsPerInchHg),
               Transducer(d, 'P', 'B', 1000.0, now), Transducer(d, 'P', 'P', 0.01, now));
}

}  // namespace

std::optional<NavReading> NmeaSourceValue(const NavSourceData& d, NavItem item, uint64_t now,
                                          const NmeaValueOptions& o) {
  switch (item) {
    case NavItem::Hdop:
      return First(From(d.fix.hdop, now), From(d.gsa.hdop, now));
    case NavItem::HeadingTrue:
      return Bearing360(HeadingTrue(d, now, o));
    case NavItem::HeadingMagnetic:
      return Bearing360(HeadingMagnetic(d, now, o));
    case NavItem::SpeedThroughWater:
      return SpeedThroughWater(d, now);
    case NavItem::SpeedOverGround:
      return SpeedOverGround(d, now);
    case NavItem::CourseOverGround:
      return Bearing360(CourseOverGround(d, now));
    case NavItem::ApparentWindSpeed:
      return WindPart(d.windRelative, d.vwr, true, now);
    case NavItem::ApparentWindAngle:
      return Bearing360(WindPart(d.windRelative, d.vwr, false, now));
    case NavItem::TrueWindSpeed:
      return WindPart(d.windTrue, d.vwt, true, now);
    case NavItem::TrueWindDirection:
      return Bearing360(WindPart(d.windTrue, d.vwt, false, now));
    case NavItem::RateOfTurn:
      return From(d.heading.rateOfTurn, now);
    case NavItem::Depth:
      return Depth(d, now);
    case NavItem::WaterTemperature:
      return First(From(d.waterTemperature, now), From(d.meteo.waterTemperature, now));
    case NavItem::RudderStarboard:
    case NavItem::Rudder:
      return From(d.rudderStarboard, now);
    case NavItem::RudderPort:
      return From(d.rudderPort, now);
    case NavItem::Pitch:
      return From(d.heading.pitch, now);
    case NavItem::Roll:
      return From(d.heading.roll, now);
    case NavItem::AttitudeHeading:
      return Bearing360(From(d.heading.attitudeHeading, now));
    case NavItem::AirTemperature:
      return From(d.meteo.airTemperature, now);
    case NavItem::Pressure:
      return Pressure(d, now);
    case NavItem::RelativeHumidity:
      return From(d.meteo.relativeHumidity, now);
    case NavItem::DewPoint:
      return From(d.meteo.dewPoint, now);
    case NavItem::AbsoluteHumidity:
      return From(d.meteo.absoluteHumidity, now);
  }
  return std::nullopt;
}

}  // namespace tarnwick
