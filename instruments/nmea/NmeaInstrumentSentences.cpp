// Instrument sentences: heading, rate of turn, rudder and engines, depth,
// water speed and log, current, wind, weather, temperature and transducers.

#include <algorithm>

#include "core/Log.h"
#include "instruments/nmea/NmeaDecodeContext.h"
#include "instruments/nmea/NmeaFieldReaders.h"

namespace tarnwick {
namespace {

constexpr double kMetresPerFoot = 0.3048;
constexpr double kMetresPerFathom = 1.8288;
// Wind speed units to knots.
constexpr double kKnotsPerKmh = 0.5399568;
constexpr double kKnotsPerMetreSecond = 1.9438447;
constexpr double kKnotsPerStatuteMph = 0.86897624;

// The number of field i when field i + 1 is the unit letter.
std::optional<double> WithUnit(const NmeaDecodeContext& c, size_t i, char unit) {
  if (NmeaChar(c.F(i + 1)) != unit) return std::nullopt;
  return NmeaNumber(c.F(i));
}

// The number of field i when the status field is 'A'.
std::optional<double> WithStatus(const NmeaDecodeContext& c, size_t i, size_t statusField) {
  if (NmeaChar(c.F(statusField)) != 'A') return std::nullopt;
  return NmeaNumber(c.F(i));
}

// Depth in metres from the metres field, else feet, else fathoms
// (fields 1 feet, 3 metres, 5 fathoms). Empty when every field is empty.
std::optional<std::optional<double>> DepthMetres(const NmeaDecodeContext& c) {
  if (!c.F(3).empty()) return NmeaNumber(c.F(3));
  if (!c.F(1).empty()) {
    std::optional<double> feet = NmeaNumber(c.F(1));
    return feet ? std::optional(*feet * kMetresPerFoot) : std::nullopt;
  }
  if (!c.F(5).empty()) {
    std::optional<double> fathoms = NmeaNumber(c.F(5));
    return fathoms ? std::optional(*fathoms * kMetresPerFathom) : std::nullopt;
  }
  return std::nullopt;
}

// Stores a heading when valid (corrected) and asks for the heading sensor.
void StoreHeading(NmeaDecodeContext& c, NavValue<double>& target, std::optional<double> heading) {
  if (heading && !InRange(heading, 0, 360)) {
    c.LogOutOfRange("heading");
    heading.reset();
  }
  if (heading) {
    target.Set(c.Corrected(*heading), c.tick);
    c.Want(SensorKind::Hdg);
  } else {
    target.value = 0;
    target.SetInvalid(c.tick);
  }
}

// A value with its East/West letter; East positive unless westPositive.
// Both fields empty: invalid without message.
void StoreEastWest(NmeaDecodeContext& c, NavValue<double>& target, size_t i, const char* message) {
  std::optional<double> value = NmeaNumber(c.F(i));
  const char side = NmeaChar(c.F(i + 1));
  if (value && (side == 'E' || side == 'W')) {
    target.Set(side == 'W' ? -*value : *value, c.tick);
    return;
  }
  target.SetInvalid(c.tick);
  if (!c.F(i).empty() || !c.F(i + 1).empty()) LogDebug("%s", message);
}

void StoreOrLog(NmeaDecodeContext& c, NavValue<double>& target, size_t i, char unit,
                const char* message) {
  std::optional<double> value = WithUnit(c, i, unit);
  target.Set(value, c.tick);
  if (!value && !c.F(i).empty()) LogDebug("%s", message);
}

void DecodeWindSide(NmeaDecodeContext& c, WindSideReading& w) {
  w.angle.Set(NmeaNumber(c.F(1)), c.tick);
  const char side = NmeaChar(c.F(2));
  if (side == 'L')
    w.side.Set(-1, c.tick);
  else if (side == 'R')
    w.side.Set(1, c.tick);
  else
    w.side.SetInvalid(c.tick);
  w.knots.Set(WithUnit(c, 3, 'N'), c.tick);
  w.metresPerSecond.Set(WithUnit(c, 5, 'M'), c.tick);
  w.kmh.Set(WithUnit(c, 7, 'K'), c.tick);
}

}  // namespace

void DecodeHDT(NmeaDecodeContext& c) {
  std::optional<double> heading = WithUnit(c, 1, 'T');
  StoreHeading(c, c.data.heading.trueHdt, heading);
  if (!heading && !c.F(1).empty()) LogDebug("\tHDT: Invalid true heading!\n");
}

void DecodeTHS(NmeaDecodeContext& c) {
  StoreHeading(c, c.data.heading.trueThs, NmeaNumber(c.F(1)));
  const char mode = NmeaChar(c.F(2));
  if (mode)
    c.data.heading.thsMode.Set(mode, c.tick);
  else
    c.data.heading.thsMode.SetInvalid(c.tick);
}

void DecodeHDG(NmeaDecodeContext& c) {
  HeadingValues& h = c.data.heading;
  StoreHeading(c, h.magnetic, NmeaNumber(c.F(1)));
  StoreEastWest(c, h.deviation, 2, "\tHDG: Invalid magnetic deviation\n");
  StoreEastWest(c, h.variation, 4, "\tHDG: Invalid magnetic variation\n");
}

void DecodeHDM(NmeaDecodeContext& c) {
  StoreHeading(c, c.data.heading.magnetic, WithUnit(c, 1, 'M'));
}

void DecodeROT(NmeaDecodeContext& c) {
  std::optional<double> rate = WithStatus(c, 1, 2);
  c.data.heading.rateOfTurn.Set(rate, c.tick);
  if (rate)
    c.Want(SensorKind::Hdg);
  else
    LogDebug("\tROT: Invalid rate or status!\n");
}

void DecodeRSA(NmeaDecodeContext& c) {
  if (c.Count() == 4) {
    LogDebug("\tRSA: Wrong param count!\n");
    return;
  }
  c.data.rudderStarboard.Set(WithStatus(c, 1, 2), c.tick);
  if (c.Count() == 3) {
    c.data.rudderPort.value = 0;
    c.data.rudderPort.SetInvalid(c.tick);
  } else {
    c.data.rudderPort.Set(WithStatus(c, 3, 4), c.tick);
  }
}

void DecodeRPM(NmeaDecodeContext& c) {
  std::optional<int> index = NmeaInteger(c.F(2));
  if (!index || *index < 0 || *index >= static_cast<int>(c.data.rpm.size())) {
    LogDebug("RPM: index too high!\n");
    return;
  }
  RpmValues& r = c.data.rpm[*index];
  const char source = NmeaChar(c.F(1));
  r.source = source == 'S' ? 1 : source == 'E' ? 2 : 0;
  r.status = NmeaChar(c.F(5));
  r.speed.Set(NmeaNumber(c.F(3)), c.tick);
  r.pitch.Set(NmeaNumber(c.F(4)), c.tick);
}

void DecodeDBT(NmeaDecodeContext& c) {
  DepthValues& d = c.data.depth;
  std::optional<std::optional<double>> metres = DepthMetres(c);
  if (!metres) return;
  d.dbt.Set(*metres, c.tick);
  d.feet.Set(NmeaNumber(c.F(1)), c.tick);
  d.fathoms.Set(NmeaNumber(c.F(5)), c.tick);
  if (*metres) c.Want(SensorKind::Dpt);
}

void DecodeDPT(NmeaDecodeContext& c) {
  if (c.F(1).empty()) return;
  DepthValues& d = c.data.depth;
  std::optional<double> depth = NmeaNumber(c.F(1));
  d.dpt.Set(depth, c.tick);
  d.offset.Set(NmeaNumber(c.F(2)).value_or(0.0), c.tick);
  if (depth) c.Want(SensorKind::Dpt);
}

void DecodeDBS(NmeaDecodeContext& c) {
  std::optional<std::optional<double>> metres = DepthMetres(c);
  if (!metres) return;
  c.data.depth.belowSurface.Set(*metres, c.tick);
  if (*metres) c.Want(SensorKind::Dpt);
}

void DecodeDBK(NmeaDecodeContext& c) {
  std::optional<std::optional<double>> metres = DepthMetres(c);
  if (!metres) return;
  c.data.depth.belowKeel.Set(*metres, c.tick);
  if (*metres) c.Want(SensorKind::Dpt);
}

void DecodeVHW(NmeaDecodeContext& c) {
  WaterSpeedValues& w = c.data.water;
  StoreHeading(c, w.headingTrue, WithUnit(c, 1, 'T'));
  StoreHeading(c, w.headingMagnetic, WithUnit(c, 3, 'M'));
  const std::optional<double> knots = WithUnit(c, 5, 'N');
  const std::optional<double> kmh = WithUnit(c, 7, 'K');
  if ((knots && !InRange(knots, 0, kMaxSpeedKnots)) ||
      (kmh && !InRange(kmh, 0, kMaxSpeedKnots * 1.852)))
    c.LogOutOfRange("speed through water");
  w.knots.Set(InRange(knots, 0, kMaxSpeedKnots), c.tick);
  w.kmh.Set(InRange(kmh, 0, kMaxSpeedKnots * 1.852), c.tick);
  if (w.knots.valid || w.kmh.valid) c.Want(SensorKind::Stw);
}

void DecodeVBW(NmeaDecodeContext& c) {
  WaterSpeedValues& w = c.data.water;
  w.waterLongitudinal.Set(WithStatus(c, 1, 3), c.tick);
  w.waterTransverse.Set(WithStatus(c, 2, 3), c.tick);
  w.groundLongitudinal.Set(WithStatus(c, 4, 6), c.tick);
  w.groundTransverse.Set(WithStatus(c, 5, 6), c.tick);
  if (c.Count() > 8) w.sternWaterTransverse.Set(WithStatus(c, 7, 8), c.tick);
  if (c.Count() > 10) w.sternGroundTransverse.Set(WithStatus(c, 9, 10), c.tick);
}

void DecodeVLW(NmeaDecodeContext& c) {
  WaterSpeedValues& w = c.data.water;
  StoreOrLog(c, w.totalDistance, 1, 'N', "\tVLW: Invalid total distance!\n");
  StoreOrLog(c, w.distanceSinceReset, 3, 'N', "\tVLW: Invalid distance since reset!\n");
}

void DecodeVDR(NmeaDecodeContext& c) {
  CurrentValues& v = c.data.current;
  StoreOrLog(c, v.setTrue, 1, 'T', "\tVDR: invalid set (true)\n");
  StoreOrLog(c, v.setMagnetic, 3, 'M', "\tVDR: invalid set (mag)\n");
  StoreOrLog(c, v.drift, 5, 'N', "\tVDR: invalid drift\n");
}

void DecodeMWV(NmeaDecodeContext& c) {
  NavSourceData& d = c.data;
  const char reference = NmeaChar(c.F(2));
  if (reference != 'T' && reference != 'R') return;
  WindReading& wind = reference == 'T' ? d.windTrue : d.windRelative;
  std::optional<double> angle = NmeaNumber(c.F(1));
  std::optional<double> speed = NmeaNumber(c.F(3));
  if (speed) {
    switch (NmeaChar(c.F(4))) {
      case 'K':
        *speed *= kKnotsPerKmh;
        break;
      case 'M':
        *speed *= kKnotsPerMetreSecond;
        break;
      case 'S':
        *speed *= kKnotsPerStatuteMph;
        break;
      case 'N':
        break;
      default:
        speed.reset();
    }
  }
  if (!angle || !speed || NmeaChar(c.F(5)) != 'A') {
    wind.angle.SetInvalid(c.tick);
    wind.speed.SetInvalid(c.tick);
    return;
  }
  wind.angle.Set(*angle, c.tick);
  wind.speed.Set(*speed, c.tick);
  d.windReference.Set(reference, c.tick);
}

void DecodeVWR(NmeaDecodeContext& c) {
  DecodeWindSide(c, c.data.vwr);
}
void DecodeVWT(NmeaDecodeContext& c) {
  DecodeWindSide(c, c.data.vwt);
}

void DecodeMDA(NmeaDecodeContext& c) {
  MeteoValues& m = c.data.meteo;
  m.pressureInches.Set(WithUnit(c, 1, 'I'), c.tick);
  m.pressureBars.Set(WithUnit(c, 3, 'B'), c.tick);
  m.airTemperature.Set(WithUnit(c, 5, 'C'), c.tick);
  m.waterTemperature.Set(WithUnit(c, 7, 'C'), c.tick);
  m.relativeHumidity.Set(NmeaNumber(c.F(9)), c.tick);
  m.absoluteHumidity.Set(NmeaNumber(c.F(10)), c.tick);
  m.dewPoint.Set(WithUnit(c, 11, 'C'), c.tick);
  m.windDirectionTrue.Set(WithUnit(c, 13, 'T'), c.tick);
  m.windDirectionMagnetic.Set(WithUnit(c, 15, 'M'), c.tick);
  m.windSpeedKnots.Set(WithUnit(c, 17, 'N'), c.tick);
  m.windSpeedMetres.Set(WithUnit(c, 19, 'M'), c.tick);
}

void DecodeMTW(NmeaDecodeContext& c) {
  std::optional<double> value = NmeaNumber(c.F(1));
  const char unit = NmeaChar(c.F(2));
  if (value && unit == 'F')
    *value = (*value - 32.0) * 5.0 / 9.0;
  else if (unit != 'C')
    value.reset();
  c.data.waterTemperature.Set(value, c.tick);
  if (!value) LogDebug("\tMTW: Invalid celsius temperature!\n");
}

void DecodeXDR(NmeaDecodeContext& c) {
  if (c.Count() < 2) return;
  if ((c.Count() - 1) % 4 != 0) LogDebug("XDR: Wrong param count\n");
  std::vector<Transducer>& list = c.data.transducers;
  for (size_t i = 1; i + 3 < c.Count(); i += 4) {
    if (c.F(i).size() != 1) {
      LogDebug("XDR: Invalid type\n");
      continue;
    }
    const char type = c.F(i)[0];
    const std::string_view id = c.F(i + 3).empty() ? std::string_view("unknown") : c.F(i + 3);
    auto it = std::find_if(list.begin(), list.end(),
                           [&](const Transducer& t) { return t.type == type && t.id == id; });
    if (it == list.end()) {
      if (list.size() >= NavSourceData::kMaxTransducers) {
        LogDebug("XDR: Too many different ID's!\n");
        continue;
      }
      list.push_back(Transducer{std::string(id), type});
      it = list.end() - 1;
      c.deferred.transducers.push_back({std::string(id), type});
      c.Want(SensorKind::Xdr);
    }
    std::optional<double> value = NmeaNumber(c.F(i + 1));
    it->value = value.value_or(0.0);
    it->valid = value.has_value();
    it->unit = NmeaChar(c.F(i + 2));
    it->tick = c.tick;
  }
}

}  // namespace tarnwick
