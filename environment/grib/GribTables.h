#pragma once
// The weather types this system shows (its own fixed table of 24 rows) and the
// GRIB edition 1 parameters that become them.

#include <optional>
#include <span>

namespace tarnwick {

// Unit classes of the weather types, with the unit the grids hold.
enum WeatherUnitClass : int {
  kUnitLength = 2,         // metres (wave heights, geopotential height)
  kUnitTemperature = 5,    // kelvin
  kUnitSpeed = 11,         // metres per second
  kUnitDirection = 12,     // degrees true, 0..360
  kUnitPressure = 13,      // pascals
  kUnitPeriod = 14,        // seconds
  kUnitPrecipitation = 15, // kilograms per square metre (millimetres of water)
  kUnitPercent = 17,       // percent
};

struct WeatherTypeInfo {
  int type;              // the internal type number
  int companion;         // the other half of a pair (speed with direction, u with v); 0 none
  bool vector;           // a u or v component
  int unitClass;         // WeatherUnitClass
  double rangeStart;     // display scale: range start, range end, interval, quantum
  double rangeEnd;
  double interval;
  double quantum;
  const char* code;      // four characters
  int bits;              // stored bits per value (16 or 8)
  int decimals;          // display decimals
  const char* name;      // what a navigator reads ("Wind (u)", "Swell height")
};

// The 24 rows, in table order.
std::span<const WeatherTypeInfo> WeatherTypes();
// The row of a type number, or null.
const WeatherTypeInfo* FindWeatherType(int type);

// A GRIB parameter's weather type and the factor that turns its values into
// the type's unit (1 for the WMO parameters; ECMWF's precipitation is in
// metres and its geopotential in m²/s²).
struct ParameterMapping {
  int type;
  double scale;
};

// The weather type of a GRIB1 parameter (PDS octet 9) by its parameter table
// version (octet 4) and centre (octet 5). Tables 1..127 are versions of WMO
// code table 2; ECMWF's tables 128 (atmosphere) and 140 (waves), also used by
// other centres in ECMWF's archives, number their parameters differently and
// are read by their own rows (NCEP's own table 140 is another table). NCEP
// keeps the WMO numbers below 128 in its other local tables. Empty for every
// other parameter: it yields no layer.
std::optional<ParameterMapping> WeatherTypeOfParameter(int centre, int table, int parameter);

}  // namespace tarnwick
