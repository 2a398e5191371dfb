#pragma once
// Display texts of the live values the web user interface shows, by the unit
// settings (Units_Speed, Units_WindSpeed, Units_Depth, Units_Temperature,
// Units_TimeFormat). Each function has a form taking the unit index, for tests
// and callers that already read it. Texts are UTF-8.

#include <cstdint>
#include <string>

namespace tarnwick {

// Knots -> "6.2 kn", "3.2 m/s", "11.5 km/h", "7.1 mph" by a Units_Speed or
// Units_WindSpeed index (0 m/s, 1 km/h, 2 knots, 3 mph).
std::string FormatSpeed(double knots, int speedIndex);
std::string FormatBoatSpeed(double knots);  // by Units_Speed
std::string FormatWindSpeed(double knots);  // by Units_WindSpeed

// Metres -> "12.4 m", "40.7 ft", "6.8 fm", "6 fm 4 ft" by a Units_Depth index.
std::string FormatDepth(double metres, int depthIndex);
std::string FormatDepth(double metres);

// Degrees Celsius -> "18.5 °C" or "65.3 °F" by a Units_Temperature index.
std::string FormatTemperature(double celsius, int temperatureIndex);
std::string FormatTemperature(double celsius);

// Degrees -> "045°" (0..359, rounded); angles off the bow keep their sign side:
// FormatRelativeAngle(-30) -> "30° port", 30 -> "30° stbd".
std::string FormatAngle(double degrees);
std::string FormatRelativeAngle(double degrees);

// Degrees per minute -> "12°/min".
std::string FormatRateOfTurn(double degreesPerMinute);

// Seconds (>= 0) -> "45 s", "12 min", "2 h 05 min", "3 d 04 h"; "" when negative.
std::string FormatDuration(double seconds);

// The clock time of utcMs shifted by offsetMinutes: "14:05" by Units_TimeFormat
// index 0, "2:05 PM" by index 1.
std::string FormatClockTime(int64_t utcMs, int offsetMinutes, int timeFormatIndex);
// The same in the machine's local time by Units_TimeFormat.
std::string FormatLocalClockTime(int64_t utcMs);

}  // namespace tarnwick
