#include "server/ValueText.h"

#include <cmath>
#include <cstdio>
#include <ctime>

#include "core/units/UnitSystem.h"

namespace tarnwick {
namespace {

constexpr double kMetresPerSecondPerKnot = 1852.0 / 3600.0;
constexpr double kKilometresPerHourPerKnot = 1.852;
constexpr double kMilesPerHourPerKnot = 1852.0 / 1609.344;
constexpr double kMetresPerFoot = 0.3048;
constexpr double kFeetPerFathom = 6.0;

std::string Printf(const char* format, double a) {
  char text[64];
  snprintf(text, sizeof text, format, a);
  return text;
}

}  // namespace

std::string FormatSpeed(double knots, int speedIndex) {
  switch (speedIndex) {
    case 0:
      return Printf("%.1f m/s", knots * kMetresPerSecondPerKnot);
    case 1:
      return Printf("%.1f km/h", knots * kKilometresPerHourPerKnot);
    case 3:
      return Printf("%.1f mph", knots * kMilesPerHourPerKnot);
    default:
      return Printf("%.1f kn", knots);
  }
}

std::string FormatBoatSpeed(double knots) {
  return FormatSpeed(knots, UnitIndex(UnitSetting::Speed));
}

std::string FormatWindSpeed(double knots) {
  return FormatSpeed(knots, UnitIndex(UnitSetting::WindSpeed));
}

std::string FormatDepth(double metres, int depthIndex) {
  const double feet = metres / kMetresPerFoot;
  switch (depthIndex) {
    case 0:
      return Printf("%.1f m", metres);
    case 1:
      return Printf("%.1f ft", feet);
    case 2:
      return Printf("%.1f fm", feet / kFeetPerFathom);
    default: {
      const long totalFeet = std::lround(std::fabs(feet));
      char text[64];
      snprintf(text, sizeof text, "%s%ld fm %ld ft", metres < 0 ? "-" : "", totalFeet / 6,
               totalFeet % 6);
      return text;
    }
  }
}

std::string FormatDepth(double metres) {
  return FormatDepth(metres, UnitIndex(UnitSetting::Depth));
}

std::string FormatTemperature(double celsius, int temperatureIndex) {
  if (temperatureIndex == 1) return Printf("%.1f \u00b0F", celsius * 9.0 / 5.0 + 32.0);
  return Printf("%.1f \u00b0C", celsius);
}

std::string FormatTemperature(double celsius) {
  return FormatTemperature(celsius, UnitIndex(UnitSetting::Temperature));
}

std::string FormatAngle(double degrees) {
  long whole = std::lround(degrees) % 360;
  if (whole < 0) whole += 360;
  char text[16];
  snprintf(text, sizeof text, "%03ld\u00b0", whole);
  return text;
}

std::string FormatRelativeAngle(double degrees) {
  double a = std::fmod(degrees, 360.0);
  if (a > 180) a -= 360;
  if (a < -180) a += 360;
  const long whole = std::lround(std::fabs(a));
  char text[32];
  if (whole == 0 || whole == 180)
    snprintf(text, sizeof text, "%ld\u00b0", whole);
  else
    snprintf(text, sizeof text, "%ld\u00b0 %s", whole, a < 0 ? "port" : "stbd");
  return text;
}

std::string FormatRateOfTurn(double degreesPerMinute) {
  return Printf("%.0f\u00b0/min", degreesPerMinute);
}

std::string FormatDuration(double seconds) {
  if (!(seconds >= 0) || !std::isfinite(seconds)) return "";
  const long long total = std::llround(seconds);
  char text[48];
  if (total < 60) {
    snprintf(text, sizeof text, "%lld s", total);
  } else if (total < 3600) {
    snprintf(text, sizeof text, "%lld min", total / 60);
  } else if (total < 86400) {
    snprintf(text, sizeof text, "%lld h %02lld min", total / 3600, total % 3600 / 60);
  } else {
    snprintf(text, sizeof text, "%lld d %02lld h", total / 86400, total % 86400 / 3600);
  }
  return text;
}

std::string FormatClockTime(int64_t utcMs, int offsetMinutes, int timeFormatIndex) {
  const int64_t minutesOfDay = ((utcMs / 60000 + offsetMinutes) % 1440 + 1440) % 1440;
  const int hour = static_cast<int>(minutesOfDay / 60);
  const int minute = static_cast<int>(minutesOfDay % 60);
  char text[16];
  if (timeFormatIndex == 1)
    snprintf(text, sizeof text, "%d:%02d %s", hour % 12 == 0 ? 12 : hour % 12, minute,
             hour < 12 ? "AM" : "PM");
  else
    snprintf(text, sizeof text, "%02d:%02d", hour, minute);
  return text;
}

std::string FormatLocalClockTime(int64_t utcMs) {
  const time_t seconds = static_cast<time_t>(utcMs / 1000);
  tm local{};
  localtime_r(&seconds, &local);
  return FormatClockTime(utcMs, static_cast<int>(local.tm_gmtoff / 60),
                         UnitIndex(UnitSetting::TimeFormat));
}

}  // namespace tarnwick
