#include "core/units/UnitFormat.h"

#include <cmath>
#include <cstdio>
#include <limits>

#include "core/geo/Geodesy.h"
#include "core/geo/MagneticVariation.h"
#include "core/units/UnitSystem.h"

namespace tarnwick {

namespace {

constexpr const char* kDegree = "\xC2\xB0";  // U+00B0 in UTF-8

template <typename... Args>
std::string Printf(const char* format, Args... args) {
  const int n = std::snprintf(nullptr, 0, format, args...);
  if (n <= 0) return {};
  std::string out(static_cast<size_t>(n) + 1, '\0');
  std::snprintf(out.data(), out.size(), format, args...);
  out.resize(static_cast<size_t>(n));
  return out;
}

// Truncates toward zero into the int range (saturating, 0 for NaN).
int TruncatedInt(double value) {
  if (std::isnan(value)) return 0;
  if (value >= static_cast<double>(std::numeric_limits<int>::max()))
    return std::numeric_limits<int>::max();
  if (value <= static_cast<double>(std::numeric_limits<int>::min()))
    return std::numeric_limits<int>::min();
  return static_cast<int>(value);
}

// Degrees, minutes and seconds of |degrees|, rounded once at the last printed
// digit so that 59.9996' shows as the next whole degree, not as 60.000'.
struct Sexagesimal {
  int degrees;
  int minutes;
  double fraction;  // seconds (DMS) or minutes (DM)
};

Sexagesimal SplitMinutes(double absDegrees) {
  const long long thousandths = std::llround(absDegrees * 60000.0);
  return Sexagesimal{static_cast<int>(thousandths / 60000), 0, (thousandths % 60000) / 1000.0};
}

Sexagesimal SplitSeconds(double absDegrees) {
  const long long hundredths = std::llround(absDegrees * 360000.0);
  return Sexagesimal{static_cast<int>(hundredths / 360000),
                     static_cast<int>(hundredths % 360000 / 6000), (hundredths % 6000) / 100.0};
}

// longitude: three-digit degrees and E/W; otherwise two digits and N/S.
std::string FormatAngle(double degrees, int format, bool longitude, char positive, char negative) {
  const char hemisphere = degrees >= 0.0 ? positive : negative;
  const double a = std::fabs(degrees);
  switch (format) {
    case kLocationDegreesMinutesSeconds: {
      const Sexagesimal s = SplitSeconds(a);
      return Printf(longitude ? "%03d%s%02d'%05.2f\"%c" : "%02d%s%02d'%05.2f\"%c", s.degrees,
                    kDegree, s.minutes, s.fraction, hemisphere);
    }
    case kLocationDegrees:
      return Printf(longitude ? "%08.4f%s%c" : "%07.4f%s%c", a, kDegree, hemisphere);
    default: {
      const Sexagesimal s = SplitMinutes(a);
      return Printf(longitude ? "%03d%s%s%05.3f'%c" : "%02d%s%s%05.3f'%c", s.degrees, kDegree,
                    s.fraction < 10.0 ? "0" : "", s.fraction, hemisphere);
    }
  }
}

}  // namespace

std::string FormatNumber(double value, int precision) {
  std::string text = Printf("%.*f", precision < 0 ? -precision : precision, value);
  if (precision >= 0 && text.find('.') != std::string::npos) {
    while (!text.empty() && text.back() == '0') text.pop_back();
    if (!text.empty() && text.back() == '.') text.pop_back();
  }
  return text;
}

std::string FormatLatitude(double degrees, int locationFormat) {
  if (!(degrees >= -90.0 && degrees <= 90.0)) return {};
  return FormatAngle(degrees, locationFormat, false, 'N', 'S');
}

std::string FormatLatitude(double degrees) {
  return FormatLatitude(degrees, UnitIndex(UnitSetting::LocationFormat));
}

std::string FormatLongitude(double degrees, int locationFormat) {
  if (!(degrees >= -180.0 && degrees <= 180.0)) return {};
  return FormatAngle(degrees, locationFormat, true, 'E', 'W');
}

std::string FormatLongitude(double degrees) {
  return FormatLongitude(degrees, UnitIndex(UnitSetting::LocationFormat));
}

std::string FormatBearing(double trueDegrees, const LatLon& where, int bearingFormat,
                          bool decimals) {
  const bool magnetic = bearingFormat == kBearingMagnetic;
  double bearing = trueDegrees;
  if (magnetic) bearing = NormalizeBearing(bearing - MagneticVariationDegrees(where));
  const char suffix = magnetic ? 'M' : 'T';
  if (decimals) return Printf("%05.1f%s%c", bearing, kDegree, suffix);
  int whole = TruncatedInt(std::floor(bearing + 0.5)) % 360;
  if (whole < 0) whole += 360;
  return Printf("%03d%s%c", whole, kDegree, suffix);
}

std::string FormatBearing(double trueDegrees, const LatLon& where) {
  return FormatBearing(trueDegrees, where, UnitIndex(UnitSetting::BearingFormat));
}

std::string FormatDistanceShort(double nm, int distanceIndex) {
  constexpr double kFeetPerNm = 6076.1154855643035;
  constexpr double kYardsPerNm = 2025.371828521435;
  constexpr double kMilesPerNm = 1.1507794480235425;
  switch (distanceIndex) {
    case kDistanceKilometers: {
      const double metres = nm * 1852.0;
      if (metres < 1000.0) return Printf("%d m", TruncatedInt(metres));
      return Printf("%.3f km", metres / 1000.0);
    }
    case kDistanceFeet:
      return Printf("%d ft", TruncatedInt(nm * kFeetPerNm));
    case kDistanceYards:
      return Printf("%d yd", TruncatedInt(nm * kYardsPerNm));
    case kDistanceNauticalMilesAndFeet:
      if (nm * kFeetPerNm <= 1000.0) return Printf("%d ft", TruncatedInt(nm * kFeetPerNm));
      return Printf("%.3f nm", nm);
    case kDistanceNauticalMilesAndYards:
      if (nm * kYardsPerNm < 500.0) return Printf("%d yd", TruncatedInt(nm * kYardsPerNm));
      return Printf("%.3f nm", nm);
    case kDistanceStatuteMiles:
      return Printf("%.3f mi", nm * kMilesPerNm);
    case kDistanceStatuteMilesAndFeet:
      if (nm * kFeetPerNm < 2500.0) return Printf("%d ft", TruncatedInt(nm * kFeetPerNm));
      return Printf("%.3f mi", nm * kMilesPerNm);
    case kDistanceStatuteMilesAndYards:
      if (nm * kYardsPerNm < 1000.0) return Printf("%d yd", TruncatedInt(nm * kYardsPerNm));
      return Printf("%.3f mi", nm * kMilesPerNm);
    default:
      return Printf("%.3f nm", nm);
  }
}

std::string FormatDistanceShort(double nm) {
  return FormatDistanceShort(nm, UnitIndex(UnitSetting::Distance));
}

}  // namespace tarnwick
