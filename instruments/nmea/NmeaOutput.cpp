#include "instruments/nmea/NmeaOutput.h"

#include <algorithm>
#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <string_view>

#include "instruments/nmea/NmeaParse.h"

namespace tarnwick {
namespace {

std::string Printf(const char* format, ...) __attribute__((format(printf, 1, 2)));
std::string Printf(const char* format, ...) {
  char buffer[kNmeaMaxSentence + 1];
  va_list args;
  va_start(args, format);
  int n = vsnprintf(buffer, sizeof buffer, format, args);
  va_end(args);
  if (n < 0) return {};
  return std::string(buffer, std::min<size_t>(static_cast<size_t>(n), sizeof buffer - 1));
}

int ClampDecimals(int decimals) {
  return std::clamp(decimals, 0, 9);
}

// ddmm.mmm with the given width; minutes are rounded before they are split so
// that 59.9996' never prints as 60.000'.
std::string Angle(double degrees, int decimals, int width, char positive, char negative) {
  decimals = ClampDecimals(decimals);
  const double scale = std::pow(10.0, decimals);
  const double totalMinutes = std::round(std::fabs(degrees) * 60.0 * scale) / scale;
  const double whole = std::floor(totalMinutes / 60.0 + 1e-12);
  const double minutes = std::max(0.0, totalMinutes - whole * 60.0);
  return Printf("%0*.*f,%c", width, decimals, whole * 100.0 + minutes,
                degrees < 0 ? negative : positive);
}

// A number with decimals, or "" when absent.
std::string Optional(std::optional<double> value, int decimals = 1) {
  return value ? Printf("%.*f", ClampDecimals(decimals), *value) : std::string();
}

std::string P(std::string_view prefix) {
  return std::string(prefix.substr(0, 8));
}

std::string BearingOrDistance(const char* formatter, std::string_view prefix,
                              const BearingDistanceValues& v) {
  const int d = ClampDecimals(v.distanceDecimals);
  std::string time = Printf("%02d%02d%02d", v.hours, v.minutes, v.seconds);
  return FinishNmeaSentence(Printf(
      "%s%s,%s,%s,%s,%s,T,%s,M,%.*f,N,%s", P(prefix).c_str(), formatter, time.c_str(),
      NmeaLatitudeField(v.waypoint.lat, v.latLonDecimals).c_str(),
      NmeaLongitudeField(v.waypoint.lon, v.latLonDecimals).c_str(), Optional(v.bearingTrue).c_str(),
      Optional(v.bearingMagnetic).c_str(), d, v.distanceNm, NmeaEscape(v.waypointId, 20).c_str()));
}

std::string Distance(const char* formatter, std::string_view prefix, double distanceNm,
                     std::string_view id, int decimals) {
  return FinishNmeaSentence(Printf("%s%s,%.*f,N,%s", P(prefix).c_str(), formatter,
                                   ClampDecimals(decimals), distanceNm,
                                   NmeaEscape(id, 20).c_str()));
}

char AV(bool yes) {
  return yes ? 'A' : 'V';
}

}  // namespace

std::string NmeaLatitudeField(double latDegrees, int decimals) {
  return Angle(latDegrees, decimals, ClampDecimals(decimals) + 5, 'N', 'S');
}

std::string NmeaLongitudeField(double lonDegrees, int decimals) {
  return Angle(lonDegrees, decimals, ClampDecimals(decimals) + 6, 'E', 'W');
}

std::string FinishNmeaSentence(std::string body) {
  const std::string_view checked = body.size() > 1 ? std::string_view(body).substr(1) : "";
  char suffix[8];
  snprintf(suffix, sizeof suffix, "*%02X\r\n", NmeaChecksum(checked));
  return body + suffix;
}

std::string NmeaEscape(std::string_view text, size_t maxLength) {
  std::string out;
  for (char c : text) {
    const unsigned char u = static_cast<unsigned char>(c);
    const bool reserved = u < 32 || u == 127 || c == '!' || c == '$' || c == '*' || c == ',' ||
                          c == '\\' || c == '^' || c == '~';
    const size_t length = reserved ? 3 : 1;
    if (out.size() + length > maxLength) break;
    if (reserved) {
      char escaped[4];
      snprintf(escaped, sizeof escaped, "^%02X", u);
      out += escaped;
    } else {
      out.push_back(c);
    }
  }
  return out;
}

std::string FormatAisQuery(std::string_view formatter) {
  return FinishNmeaSentence("$ECAIQ," + std::string(formatter.substr(0, 8)));
}

std::string FormatAAM(std::string_view prefix, const std::optional<AamValues>& v) {
  if (!v) return FinishNmeaSentence(P(prefix) + "AAM,V,V,,,");
  return FinishNmeaSentence(Printf("%sAAM,%c,%c,%.*f,N,%s", P(prefix).c_str(),
                                   AV(v->arrivalCircleEntered), AV(v->perpendicularPassed),
                                   ClampDecimals(v->decimals), v->radiusNm,
                                   NmeaEscape(v->waypointId, 20).c_str()));
}

std::string FormatAPA(std::string_view prefix, const std::optional<SteeringValues>& v) {
  if (!v) return FinishNmeaSentence(P(prefix) + "APA,A,A,,,,V,V,,,");
  return FinishNmeaSentence(
      Printf("%sAPA,A,A,%.*f,%s,N,%c,%c,%s,M,%s", P(prefix).c_str(), ClampDecimals(v->xteDecimals),
             v->crossTrackNm, v->steer == 'R' ? "R" : "L", AV(v->arrivalCircleEntered),
             AV(v->perpendicularPassed), Optional(v->bearingOriginToDestination).c_str(),
             NmeaEscape(v->destinationId, 20).c_str()));
}

std::string FormatAPB(std::string_view prefix, const std::optional<SteeringValues>& v) {
  if (!v) return FinishNmeaSentence(P(prefix) + "APB,A,A,,,,V,V,,,,,,,,");
  const char reference = v->bearingsMagnetic ? 'M' : 'T';
  return FinishNmeaSentence(
      Printf("%sAPB,%c,A,%.*f,%s,N,%c,%c,%s,%c,%s,%s,%c,%s,%c", P(prefix).c_str(), AV(v->valid),
             ClampDecimals(v->xteDecimals), v->crossTrackNm, v->steer == 'R' ? "R" : "L",
             AV(v->arrivalCircleEntered), AV(v->perpendicularPassed),
             Optional(v->bearingOriginToDestination).c_str(), reference,
             NmeaEscape(v->destinationId, 20).c_str(), Optional(v->bearingToDestination).c_str(),
             reference, Optional(v->headingToSteer).c_str(), reference));
}

// RMB has a single arrival flag: the arrival circle entered or the
// perpendicular passed.
std::string FormatRMB(std::string_view prefix, const SteeringValues& v) {
  std::string lat = v.destination ? NmeaLatitudeField(v.destination->lat, v.latLonDecimals) : ",";
  std::string lon = v.destination ? NmeaLongitudeField(v.destination->lon, v.latLonDecimals) : ",";
  return FinishNmeaSentence(Printf(
      "%sRMB,%c,%.*f,%s,%s,%s,%s,%s,%.*f,%s,%.*f,%c", P(prefix).c_str(), AV(v.valid),
      ClampDecimals(v.xteDecimals), v.crossTrackNm, v.steer == 'R' ? "R" : "L",
      NmeaEscape(v.originId, 20).c_str(), NmeaEscape(v.destinationId, 20).c_str(), lat.c_str(),
      lon.c_str(), 2, v.rangeNm.value_or(0.0), Optional(v.bearingToDestination).c_str(), 1,
      v.closingKnots.value_or(0.0), AV(v.arrivalCircleEntered || v.perpendicularPassed)));
}

std::string FormatXTE(std::string_view prefix, const SteeringValues& v) {
  return FinishNmeaSentence(Printf("%sXTE,%c,A,%.*f,%s,N", P(prefix).c_str(), AV(v.valid),
                                   ClampDecimals(v.xteDecimals), v.crossTrackNm,
                                   v.steer == 'R' ? "R" : "L"));
}

std::string FormatBOD(std::string_view prefix, std::optional<double> bearingTrue,
                      std::optional<double> bearingMagnetic, std::string_view destinationId,
                      std::string_view originId) {
  return FinishNmeaSentence(Printf("%sBOD,%s,T,%s,M,%s,%s", P(prefix).c_str(),
                                   Optional(bearingTrue).c_str(), Optional(bearingMagnetic).c_str(),
                                   NmeaEscape(destinationId, 20).c_str(),
                                   NmeaEscape(originId, 20).c_str()));
}

std::string FormatBWC(std::string_view prefix, const BearingDistanceValues& v) {
  return BearingOrDistance("BWC", prefix, v);
}

std::string FormatBWR(std::string_view prefix, const BearingDistanceValues& v) {
  return BearingOrDistance("BWR", prefix, v);
}

std::string FormatHDG(std::string_view prefix, std::optional<double> headingMagnetic,
                      std::optional<double> variation) {
  const std::string var = variation ? Printf("%.1f", std::fabs(*variation)) : std::string();
  const char side = variation ? (*variation < 0 ? 'W' : 'E') : 'E';
  if (!headingMagnetic) {
    return FinishNmeaSentence(Printf("%sHDG,,,,%s,%c", P(prefix).c_str(), var.c_str(), side));
  }
  return FinishNmeaSentence(Printf("%sHDG,%s,,,%s,%c", P(prefix).c_str(),
                                   Optional(headingMagnetic).c_str(), var.c_str(), side));
}

std::string FormatHDT(std::string_view prefix, std::optional<double> headingTrue) {
  if (!headingTrue) return FinishNmeaSentence(P(prefix) + "HDT,,T");
  return FinishNmeaSentence(Printf("%sHDT,%s,T", P(prefix).c_str(), Optional(headingTrue).c_str()));
}

std::string FormatHSC(std::string_view prefix, std::optional<double> headingTrue,
                      std::optional<double> headingMagnetic) {
  return FinishNmeaSentence(Printf("%sHSC,%s,T,%s,M", P(prefix).c_str(),
                                   Optional(headingTrue).c_str(),
                                   Optional(headingMagnetic).c_str()));
}

std::string FormatMWD(std::string_view prefix, const std::optional<WindValues>& v) {
  if (!v) return FinishNmeaSentence(P(prefix) + "MWD,,T,,M,,N,,M");
  return FinishNmeaSentence(Printf("%sMWD,%.1f,T,%.1f,M,%.2f,N,%.2f,M", P(prefix).c_str(),
                                   v->directionTrue, v->directionMagnetic, v->speedKnots,
                                   v->speedKnots / 1.9438447));
}

std::string FormatMWV(std::string_view prefix, std::optional<double> angle,
                      std::optional<double> speedKnots) {
  if (!angle || !speedKnots) return FinishNmeaSentence(P(prefix) + "MWV,,R,,N,V");
  return FinishNmeaSentence(
      Printf("%sMWV,%.1f,R,%.1f,N,A", P(prefix).c_str(), *angle, *speedKnots));
}

std::string FormatRMC(std::string_view prefix, const RmcValues& v) {
  const std::string time = Printf("%02d%02d%05.2f", v.hours, v.minutes, v.seconds);
  const std::string date = Printf("%02d%02d%02d", v.day, v.month, ((v.year % 100) + 100) % 100);
  const std::string variation =
      v.variation ? Printf("%.1f,%c", std::fabs(*v.variation), *v.variation < 0 ? 'W' : 'E')
                  : std::string(",");
  return FinishNmeaSentence(
      Printf("%sRMC,%s,%s,%s,%s,%.*f,%s,%s,%s,%c", P(prefix).c_str(), time.c_str(),
             v.valid ? "A" : "V", NmeaLatitudeField(v.position.lat, v.latLonDecimals).c_str(),
             NmeaLongitudeField(v.position.lon, v.latLonDecimals).c_str(),
             ClampDecimals(v.sogDecimals), v.sogKnots, Optional(v.cogTrue).c_str(), date.c_str(),
             variation.c_str(), v.mode ? v.mode : 'N'));
}

std::string FormatVHW(std::string_view prefix, std::optional<double> headingTrue,
                      std::optional<double> headingMagnetic, std::optional<double> speedKnots,
                      int decimals) {
  const int d = ClampDecimals(decimals);
  const std::string speeds =
      speedKnots ? Printf("%.*f,N,%.*f,K", d, *speedKnots, d, *speedKnots * 1.852) : ",N,,K";
  return FinishNmeaSentence(Printf("%sVHW,%s,T,%s,M,%s", P(prefix).c_str(),
                                   Optional(headingTrue).c_str(), Optional(headingMagnetic).c_str(),
                                   speeds.c_str()));
}

std::string FormatVTG(std::string_view prefix, std::optional<double> cogTrue,
                      std::optional<double> cogMagnetic, double sogKnots, int decimals) {
  const int d = ClampDecimals(decimals);
  return FinishNmeaSentence(Printf("%sVTG,%s,T,%s,M,%.*f,N,%.*f,K", P(prefix).c_str(),
                                   Optional(cogTrue).c_str(), Optional(cogMagnetic).c_str(), d,
                                   sogKnots, d, sogKnots * 1.852));
}

std::string FormatWDC(std::string_view prefix, double distanceNm, std::string_view waypointId,
                      int decimals) {
  return Distance("WDC", prefix, distanceNm, waypointId, decimals);
}

std::string FormatWDR(std::string_view prefix, double distanceNm, std::string_view waypointId,
                      int decimals) {
  return Distance("WDR", prefix, distanceNm, waypointId, decimals);
}

std::string FormatWPL(std::string_view prefix, const LatLon& position, std::string_view id,
                      int decimals) {
  return FinishNmeaSentence(
      Printf("%sWPL,%s,%s,%s", P(prefix).c_str(), NmeaLatitudeField(position.lat, decimals).c_str(),
             NmeaLongitudeField(position.lon, decimals).c_str(), NmeaEscape(id, 20).c_str()));
}

}  // namespace tarnwick
