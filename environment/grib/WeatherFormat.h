#pragma once
// Display texts of weather readings by the unit settings: pressure "%.0f mb"
// or "%.2f in" (Units_AirPressure), temperature "%.1f %c" (Units_Temperature),
// a speed or height with its direction "%.1f %s %s" ("12.4 kn SW"), a speed
// alone "%0.0f %s" (winds by Units_WindSpeed, currents by Units_Speed), heights
// "%0.0f m" or "%0.0f %s" in feet (Units_Height), periods "%.0f sec", humidity
// "%.0f %%", precipitation "%.2f in" or "%.1f mm", directions "%0.0f %s" ("225 °T").

#include <string>

#include "environment/grib/WeatherForecast.h"

namespace tarnwick {

// Indices of the unit settings that weather texts follow.
struct WeatherUnits {
  int speed = 2;        // Units_Speed: 0 m/s, 1 km/h, 2 knots, 3 mph
  int windSpeed = 2;    // Units_WindSpeed, the same
  int temperature = 1;  // Units_Temperature: 0 celsius, 1 fahrenheit
  int pressure = 1;     // Units_AirPressure: 0 mbar, 1 inHg
  int height = 1;       // Units_Height: 0 metres, 1 feet

  // The current settings.
  static WeatherUnits FromSettings();
};

// The text of a reading (with its companion when it has one).
std::string FormatWeatherReading(const WeatherReading& reading, const WeatherUnits& units);

// The 16-point compass name of a direction in degrees ("N", "NNE", ... "NNW").
const char* CompassPoint(double degrees);

}  // namespace tarnwick
