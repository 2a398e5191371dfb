// Position, time and satellite sentences: RMC, GGA, GLL, GNS, GSA, GSV, VTG,
// ZDA, DTM.

#include <algorithm>
#include <cmath>

#include "core/Log.h"
#include "instruments/nmea/NmeaDecodeContext.h"
#include "instruments/nmea/NmeaFieldReaders.h"

namespace tarnwick {
namespace {

// Smoothing factor of the RMC speed over ground (weight of the new speed).
constexpr double kSogSmoothing = 0.15;
// A fix this far (degrees) from the mean of the two before it is a jump.
constexpr double kJumpDegrees = 1.0;

// Longitude difference a - b folded into -180..180 degrees.
double LonDelta(double a, double b) {
  return std::remainder(a - b, 360.0);
}

// hhmmss.ss as seconds of the day, or empty when the field is not a time.
std::optional<double> TimeOfDay(std::string_view field) {
  std::optional<double> value = NmeaNumber(field);
  if (!value || *value < 0) return std::nullopt;
  const double hours = std::floor(*value / 10000.0);
  const double minutes = std::floor((*value - hours * 10000.0) / 100.0);
  const double seconds = *value - hours * 10000.0 - minutes * 100.0;
  return hours * 3600.0 + minutes * 60.0 + seconds;
}

// The position steps shared by RMC, GGA and GLL: parse, refuse 0,0, the jump
// filter over the source's history, and the per-sentence precision hold.
// Returns true when report was updated with the new position.
bool AcceptPosition(NmeaDecodeContext& c, PositionReport& report, size_t latField) {
  const LatLon p{NmeaAngle(c.F(latField), c.F(latField + 1)),
                 NmeaAngle(c.F(latField + 2), c.F(latField + 3))};
  if (!IsValidPosition(p)) {
    c.LogOutOfRange("position");
    return false;
  }
  if (p.lat == 0.0 && p.lon == 0.0) return false;

  NavSourceData& d = c.data;
  bool jump = false;
  if (d.historyCount == 0) {
    d.history = {p, p};
  } else {
    const LatLon& a = d.history[0];
    const LatLon& b = d.history[1];
    const double meanLat = (a.lat + b.lat) / 2.0;
    const double meanLon = a.lon + LonDelta(b.lon, a.lon) / 2.0;
    jump = std::fabs(p.lat - meanLat) >= kJumpDegrees ||
           std::fabs(LonDelta(p.lon, meanLon)) >= kJumpDegrees;
    d.history[1] = d.history[0];
    d.history[0] = p;
  }
  d.historyCount = 2;
  if (jump) return false;

  const int decimals = NmeaDecimals(c.F(latField));
  if (report.tick != 0 && decimals < report.decimals && c.tick >= report.tick &&
      c.tick - report.tick < kNavHoldMs) {
    return false;
  }
  report.decimals = decimals;
  report.tick = c.tick;
  report.position = p;
  d.fix.position.Set(p, c.tick);
  return true;
}

void StoreTime(NmeaDecodeContext& c, PositionReport& report, std::string_view field) {
  std::optional<double> seconds = TimeOfDay(field);
  report.utcSeconds = seconds.value_or(-1.0);
  c.data.fix.utcTime.Set(seconds, c.tick);
}

}  // namespace

std::optional<double> InRange(std::optional<double> value, double low, double high) {
  if (!value || !(*value >= low && *value <= high)) return std::nullopt;
  return value;
}

bool IsValidPosition(const LatLon& p) {
  return std::fabs(p.lat) <= 90.0 && std::fabs(p.lon) <= 180.0;  // false for NaN too
}

void NmeaDecodeContext::LogOutOfRange(const char* what) {
  if (data.rangeLogTick != 0 && tick - data.rangeLogTick < 60000) return;
  data.rangeLogTick = tick == 0 ? 1 : tick;
  Log("DecodeNMEA: %.*s%.*s: %s out of range; dropped\n", static_cast<int>(address.talker.size()),
      address.talker.data(), static_cast<int>(address.formatter.size()), address.formatter.data(),
      what);
}

double NmeaDecodeContext::Corrected(double heading) const {
  double h = std::fmod(heading + headingCorrection, 360.0);
  return h < 0 ? h + 360.0 : h;
}

void DecodeRMC(NmeaDecodeContext& c) {
  NavSourceData& d = c.data;
  c.Want(SensorKind::Pos);
  // A speed or course that cannot be makes the whole fix suspect.
  const std::optional<double> sog = NmeaNumber(c.F(7));
  const std::optional<double> cog = NmeaNumber(c.F(8));
  if ((sog && !InRange(sog, 0, kMaxSpeedKnots)) || (cog && !InRange(cog, 0, 360))) {
    c.LogOutOfRange(sog && !InRange(sog, 0, kMaxSpeedKnots) ? "speed" : "course");
    return;
  }
  if (!AcceptPosition(c, d.rmc, 3)) return;
  const char status = NmeaFirstChar(c.F(2));
  const char mode = c.Count() > 12 ? NmeaFirstChar(c.F(12)) : 0;
  StoreTime(c, d.rmc, c.F(1));
  d.rmc.status = status;
  d.rmc.mode = mode;
  d.fix.status.Set(status, c.tick);
  if (mode)
    d.fix.mode.Set(mode, c.tick);
  else
    d.fix.mode.SetInvalid(c.tick);
  d.fix.date.Set(NmeaInteger(c.F(9)), c.tick);

  if (sog && d.sog.valid)
    d.smoothedSog += kSogSmoothing * (*sog - d.smoothedSog);
  else
    d.smoothedSog = sog.value_or(0.0);
  d.sog.Set(sog, c.tick);
  d.cog.Set(cog, c.tick);

  if (status == 'V') {
    if (mode != 'S') return;
  } else if (status != 'A') {
    LogDebug("DecodeNMEA: GPRMC: unknown status code: %c\n", status ? status : ' ');
    return;
  }
  std::optional<double> variation = NmeaNumber(c.F(10));
  if (variation && NmeaFirstChar(c.F(11)) == 'E') *variation = -*variation;
  d.rmcVariation.Set(variation, c.tick);
}

void DecodeGGA(NmeaDecodeContext& c) {
  NavSourceData& d = c.data;
  c.Want(SensorKind::Pos);
  if (!AcceptPosition(c, d.gga, 2)) return;
  StoreTime(c, d.gga, c.F(1));
  std::optional<int> quality = NmeaInteger(c.F(6));
  d.gga.quality = quality.value_or(-1);
  d.fix.quality.Set(quality, c.tick);
  d.fix.satellites.Set(NmeaInteger(c.F(7)), c.tick);
  d.fix.hdop.Set(NmeaNumber(c.F(8)), c.tick);
  d.fix.altitude.Set(NmeaNumber(c.F(9)), c.tick);
  d.fix.geoidSeparation.Set(NmeaNumber(c.F(11)), c.tick);
  if (c.Count() >= 15) {
    d.fix.diffAge.Set(NmeaNumber(c.F(13)).value_or(0.0), c.tick);
    d.fix.diffStation.Set(NmeaInteger(c.F(14)).value_or(0), c.tick);
  } else {
    d.fix.diffAge.Set(0.0, c.tick);
    d.fix.diffStation.Set(0, c.tick);
  }
}

void DecodeGLL(NmeaDecodeContext& c) {
  NavSourceData& d = c.data;
  c.Want(SensorKind::Pos);
  if (!AcceptPosition(c, d.gll, 1)) return;
  if (c.Count() > 5)
    StoreTime(c, d.gll, c.F(5));
  else
    d.gll.utcSeconds = -1;
  d.gll.status = c.Count() > 6 ? NmeaChar(c.F(6)) : 0;
  d.gll.mode = c.Count() > 7 ? NmeaChar(c.F(7)) : 0;
  if (d.gll.status) d.fix.status.Set(d.gll.status, c.tick);
  if (d.gll.mode) d.fix.mode.Set(d.gll.mode, c.tick);
}

void DecodeGNS(NmeaDecodeContext& c) {
  NavSourceData& d = c.data;
  c.Want(SensorKind::Pos);
  const LatLon p{NmeaAngle(c.F(2), c.F(3)), NmeaAngle(c.F(4), c.F(5))};
  if (!IsValidPosition(p)) {
    c.LogOutOfRange("position");
    return;
  }
  if (p.lat == 0.0 && p.lon == 0.0) return;
  d.gns.tick = c.tick;
  d.gns.position = p;
  d.gns.decimals = NmeaDecimals(c.F(2));
  d.gns.mode = NmeaFirstChar(c.F(6));
  d.gns.mode2 = c.F(6).size() > 1 ? c.F(6)[1] : 0;
  d.fix.position.Set(p, c.tick);
  StoreTime(c, d.gns, c.F(1));
  if (d.gns.mode) d.fix.mode.Set(d.gns.mode, c.tick);
  d.fix.satellites.Set(NmeaInteger(c.F(7)), c.tick);
  d.fix.hdop.Set(NmeaNumber(c.F(8)), c.tick);
  d.fix.altitude.Set(NmeaNumber(c.F(9)), c.tick);
  d.fix.geoidSeparation.Set(NmeaNumber(c.F(10)), c.tick);
  d.fix.diffAge.Set(NmeaNumber(c.F(11)).value_or(0.0), c.tick);
}

void DecodeGSA(NmeaDecodeContext& c) {
  GsaValues& g = c.data.gsa;
  const char selection = NmeaChar(c.F(1));
  g.selectionMode.Set(selection == 'A' ? 1 : selection == 'M' ? 2 : 0, c.tick);
  g.fixType.Set(NmeaInteger(c.F(2)), c.tick);
  for (size_t i = 0; i < g.satelliteIds.size(); ++i) {
    g.satelliteIds[i] = NmeaInteger(c.F(3 + i)).value_or(0);
  }
  g.pdop.Set(NmeaNumber(c.F(15)), c.tick);
  g.hdop.Set(NmeaNumber(c.F(16)), c.tick);
  g.vdop.Set(NmeaNumber(c.F(17)), c.tick);
}

void DecodeGSV(NmeaDecodeContext& c) {
  GsvValues& g = c.data.gsv;
  const int number = NmeaInteger(c.F(2)).value_or(0);
  std::optional<int> inView = NmeaInteger(c.F(3));
  g.inView.Set(inView, c.tick);
  if (number == 1 && inView && *inView >= 0 && *inView < GsvValues::kMaxSatellites) {
    std::fill(g.satellites.begin() + *inView, g.satellites.end(), SatelliteInView{});
  }
  for (int block = 0;; ++block) {
    const size_t first = 4 + 4 * static_cast<size_t>(block);
    if (first + 3 >= c.Count()) break;
    const int index = (number - 1) * 4 + block;
    if (index < 0 || index >= GsvValues::kMaxSatellites) break;
    SatelliteInView& s = g.satellites[index];
    s.id = NmeaInteger(c.F(first)).value_or(0);
    s.elevation = NmeaInteger(c.F(first + 1)).value_or(0);
    s.azimuth = NmeaInteger(c.F(first + 2)).value_or(0);
    s.snr = NmeaInteger(c.F(first + 3)).value_or(0);
    s.tick = c.tick;
  }
}

void DecodeVTG(NmeaDecodeContext& c) {
  NavSourceData& d = c.data;
  struct Pair {
    size_t field;
    char unit;
    NavValue<double>& value;
    const char* message;
    double maximum;
  };
  const Pair pairs[] = {
      {1, 'T', d.vtgCogTrue, "\tVTG: invalid true track!\n", 360},
      {3, 'M', d.vtgCogMagnetic, "\tVTG: invalid magnetic track!\n", 360},
      {5, 'N', d.vtgSogKnots, "\tVTG: invalid N speed\n", kMaxSpeedKnots},
      {7, 'K', d.vtgSogKmh, "\tVTG: invalid K speed\n", kMaxSpeedKnots * 1.852},
  };
  for (const Pair& pair : pairs) {
    std::optional<double> value = NmeaNumber(c.F(pair.field));
    if (value && !InRange(value, 0, pair.maximum)) {
      c.LogOutOfRange(pair.field <= 3 ? "course" : "speed");
      value.reset();
    }
    if (value && NmeaChar(c.F(pair.field + 1)) == pair.unit) {
      pair.value.Set(*value, c.tick);
      continue;
    }
    pair.value.SetInvalid(c.tick);
    if (!c.F(pair.field).empty()) LogDebug("%s", pair.message);
  }
}

void DecodeZDA(NmeaDecodeContext& c) {
  ZdaValues& z = c.data.zda;
  z.tick = c.tick;
  std::string_view time = c.F(1);
  std::optional<int> hours = time.size() >= 6 ? NmeaInteger(time.substr(0, 2)) : std::nullopt;
  std::optional<int> minutes = time.size() >= 6 ? NmeaInteger(time.substr(2, 2)) : std::nullopt;
  std::optional<double> seconds = time.size() >= 6 ? NmeaNumber(time.substr(4)) : std::nullopt;
  if (!hours || !minutes || !seconds) {
    LogDebug("\tZDA: invalid UTC format\n");
    z.hours = z.minutes = -1;
    z.seconds = -1;
  } else {
    z.hours = static_cast<int16_t>(*hours);
    z.minutes = static_cast<int16_t>(*minutes);
    z.seconds = static_cast<float>(*seconds);
  }
  auto field = [&](size_t i, int& value, bool& present) {
    std::optional<int> v = NmeaInteger(c.F(i));
    present = v.has_value();
    value = v.value_or(0);
  };
  field(2, z.day, z.hasDay);
  field(3, z.month, z.hasMonth);
  field(4, z.year, z.hasYear);
  field(5, z.zoneHours, z.hasZoneHours);
  field(6, z.zoneMinutes, z.hasZoneMinutes);
}

void DecodeDTM(NmeaDecodeContext& c) {
  ReceiverValues& r = c.data.receiver;
  r.localDatum.Set(std::string(c.F(1)), c.tick);
  r.datumAlert = c.F(1) != "W84";
}

}  // namespace tarnwick
