#include "environment/grib/WeatherFormat.h"

#include <cmath>
#include <cstdio>

#include "core/units/UnitSystem.h"
#include "environment/grib/GribTables.h"

namespace tarnwick {
namespace {

constexpr double kPascalsPerInchOfMercury = 3386.389;
constexpr double kMetresPerFoot = 0.3048;
constexpr double kMillimetresPerInch = 25.4;
constexpr double kKelvinAtZeroCelsius = 273.15;

template <typename... Args>
std::string Printf(const char* format, Args... args) {
  char text[64];
  std::snprintf(text, sizeof text, format, args...);
  return text;
}

struct Speed {
  double value;
  const char* unit;
};

// Metres per second in the unit of a Units_Speed index.
Speed ConvertSpeed(double metresPerSecond, int index) {
  switch (index) {
    case 0: return {metresPerSecond, "m/s"};
    case 1: return {metresPerSecond * 3.6, "km/h"};
    case 3: return {metresPerSecond * 3600 / 1609.344, "mph"};
    default: return {metresPerSecond * 3600 / 1852, "kn"};
  }
}

std::string Period(double seconds) {
  return Printf("%.0f sec", seconds);
}

}  // namespace

WeatherUnits WeatherUnits::FromSettings() {
  WeatherUnits units;
  units.speed = UnitIndex(UnitSetting::Speed);
  units.windSpeed = UnitIndex(UnitSetting::WindSpeed);
  units.temperature = UnitIndex(UnitSetting::Temperature);
  units.pressure = UnitIndex(UnitSetting::AirPressure);
  units.height = UnitIndex(UnitSetting::Height);
  return units;
}

const char* CompassPoint(double degrees) {
  static constexpr const char* kPoints[] = {"N", "NNE", "NE", "ENE", "E", "ESE", "SE", "SSE",
                                            "S", "SSW", "SW", "WSW", "W", "WNW", "NW", "NNW"};
  double d = std::fmod(degrees, 360.0);
  if (d < 0) d += 360.0;
  return kPoints[static_cast<int>(std::floor(d / 22.5 + 0.5)) % 16];
}

std::string FormatWeatherReading(const WeatherReading& r, const WeatherUnits& units) {
  const WeatherTypeInfo* info = FindWeatherType(r.type);
  if (!info) return {};
  const double v = r.value;
  const bool withDirection = r.companion.has_value() && r.companionType != 0 &&
                             FindWeatherType(r.companionType)->unitClass == kUnitDirection;
  switch (info->unitClass) {
    case kUnitPressure:
      if (units.pressure == 1) return Printf("%.2f in", v / kPascalsPerInchOfMercury);
      return Printf("%.0f mb", v / 100);
    case kUnitTemperature: {
      const double celsius = v - kKelvinAtZeroCelsius;
      if (units.temperature == 0) return Printf("%.1f %c", celsius, 'C');
      return Printf("%.1f %c", celsius * 9 / 5 + 32, 'F');
    }
    case kUnitSpeed: {
      const bool wind = r.type == 29 || r.type == 25;
      const Speed s = ConvertSpeed(v, wind ? units.windSpeed : units.speed);
      if (withDirection) return Printf("%.1f %s %s", s.value, s.unit, CompassPoint(*r.companion));
      return Printf("%0.0f %s", s.value, s.unit);
    }
    case kUnitLength: {
      if (r.type == 32) return Printf("%0.0f m", v);  // geopotential metres whatever the setting
      const bool feet = units.height == 1;
      const double height = feet ? v / kMetresPerFoot : v;
      if (withDirection) return Printf("%.1f %s %s", height, feet ? "ft" : "m", CompassPoint(*r.companion));
      if (feet) return Printf("%0.0f %s", height, "ft");
      return Printf("%0.0f m", height);
    }
    case kUnitPeriod:
      return Period(v);
    case kUnitPercent:
      return Printf("%.0f %%", v);
    case kUnitPrecipitation:
      if (units.height == 1) return Printf("%.2f in", v / kMillimetresPerInch);
      return Printf("%.1f mm", v);
    case kUnitDirection: {
      std::string text = Printf("%0.0f %s", v, "\xC2\xB0T");
      if (r.companion && r.companionType != 0) text += ", " + Period(*r.companion);
      return text;
    }
    default:
      return Printf("%g", v);
  }
}

}  // namespace tarnwick
