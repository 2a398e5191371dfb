#include "environment/grib/GribTables.h"

#include <array>

namespace tarnwick {
namespace {

// type, companion, vector, unit class, range start, range end, interval,
// quantum, code, bits, decimals, name.
constexpr std::array<WeatherTypeInfo, 24> kWeatherTypes{{
    {3, 0, false, kUnitPressure, 900, 1200, 4, 1, "PRES", 16, 1, "Pressure"},
    {2, 0, false, kUnitTemperature, 233.15, 5, 5, 0.01, "TEMP", 16, 2, "Temperature"},
    {29, 30, true, kUnitSpeed, 0, 20, 2, 0.01, "WIND", 16, 2, "Wind"},
    {30, 0, true, kUnitDirection, 0, 360, 2, 1, "VWND", 16, 0, "Wind (v)"},
    {25, 24, false, kUnitSpeed, 0, 20, 5, 0.01, "WIND", 16, 1, "Wind speed"},
    {24, 0, false, kUnitDirection, 0, 360, 5, 1, "WIND", 16, 0, "Wind direction"},
    {4, 0, false, kUnitPrecipitation, 0, 2, 0.05, 0.001, "PRCP", 16, 3, "Precipitation"},
    {7, 16, false, kUnitLength, 0, 70, 2, 0.5, "SWHT", 16, 1, "Significant wave height"},
    {15, 14, false, kUnitDirection, 0, 90, 22, 1, "WWDR", 16, 0, "Wind wave direction"},
    {13, 0, false, kUnitLength, 0, 25, 2, 0.1, "WWHT", 16, 0, "Wind wave height"},
    {14, 0, false, kUnitPeriod, 0, 90, 2, 1, "WWPR", 8, 0, "Wind wave period"},
    {10, 9, false, kUnitDirection, 0, 360, 5, 1, "SWDR", 16, 0, "Swell direction"},
    {8, 0, false, kUnitLength, 0, 25, 2, 0.1, "SWHT", 16, 0, "Swell height"},
    {9, 0, false, kUnitPeriod, 0, 90, 5, 1, "SWPR", 8, 0, "Swell period"},
    {16, 17, false, kUnitDirection, 0, 360, 22, 0, "PWDR", 16, 1, "Primary wave direction"},
    {17, 0, false, kUnitPeriod, 0, 90, 2, 1, "PWPR", 8, 0, "Primary wave period"},
    {20, 19, false, kUnitDirection, 0, 360, 22, 0, "SWDR", 16, 1, "Secondary wave direction"},
    {19, 0, false, kUnitPeriod, 0, 90, 2, 1, "SCPR", 8, 0, "Secondary wave period"},
    {31, 0, false, kUnitPercent, 0, 100, 1, 1, "RHMD", 8, 0, "Relative humidity"},
    {32, 0, false, kUnitLength, 5200, 5600, 60, 1, "HGT5", 16, 0, "500 mb height"},
    {35, 36, true, kUnitSpeed, 0, 20, 2, 0.01, "CURR", 16, 2, "Current"},
    {36, 0, true, kUnitDirection, 0, 360, 2, 1, "VCUR", 16, 0, "Current (v)"},
    {34, 33, false, kUnitSpeed, 0, 5, 1, 0.0025, "CURR", 16, 1, "Current speed"},
    {33, 0, false, kUnitDirection, 0, 360, 5, 1, "CURR", 16, 0, "Current direction"},
}};

struct ParameterRow {
  int parameter;
  int type;
  double scale;
};

// WMO code table 2.
constexpr ParameterRow kWmoParameters[] = {
    {2, 3, 1},    {7, 32, 1},   {11, 2, 1},   {31, 24, 1},  {32, 25, 1},  {33, 29, 1},
    {34, 30, 1},  {47, 33, 1},  {48, 34, 1},  {49, 35, 1},  {50, 36, 1},  {52, 31, 1},
    {61, 4, 1},   {100, 7, 1},  {101, 15, 1}, {102, 13, 1}, {103, 14, 1}, {104, 10, 1},
    {105, 8, 1},  {106, 9, 1},  {107, 16, 1}, {108, 17, 1}, {109, 20, 1}, {110, 19, 1},
};

constexpr double kStandardGravity = 9.80665;  // m/s², geopotential to geopotential metres

// ECMWF table 128: mean sea-level pressure, 2 m temperature, 10 m wind,
// total precipitation (metres of water), and the pressure-level fields.
constexpr ParameterRow kEcmwfAtmosphere[] = {
    {151, 3, 1}, {167, 2, 1}, {165, 29, 1}, {166, 30, 1}, {228, 4, 1000},
    {130, 2, 1}, {131, 29, 1}, {132, 30, 1}, {129, 32, 1 / kStandardGravity}, {157, 31, 1},
};

// ECMWF table 140: the wave model.
constexpr ParameterRow kEcmwfWaves[] = {
    {229, 7, 1},  {230, 16, 1}, {231, 17, 1}, {234, 13, 1}, {235, 15, 1},
    {236, 14, 1}, {237, 8, 1},  {238, 10, 1}, {239, 9, 1},
};

constexpr int kCentreNcep = 7;

template <size_t N>
std::optional<ParameterMapping> Lookup(const ParameterRow (&rows)[N], int parameter) {
  for (const ParameterRow& row : rows)
    if (row.parameter == parameter) return ParameterMapping{row.type, row.scale};
  return std::nullopt;
}

}  // namespace

std::span<const WeatherTypeInfo> WeatherTypes() {
  return kWeatherTypes;
}

const WeatherTypeInfo* FindWeatherType(int type) {
  for (const WeatherTypeInfo& info : kWeatherTypes)
    if (info.type == type) return &info;
  return nullptr;
}

std::optional<ParameterMapping> WeatherTypeOfParameter(int centre, int table, int parameter) {
  if (table >= 1 && table <= 127) return Lookup(kWmoParameters, parameter);
  if (table == 128) return Lookup(kEcmwfAtmosphere, parameter);
  if (table == 140 && centre != kCentreNcep) return Lookup(kEcmwfWaves, parameter);
  if (centre == kCentreNcep && parameter < 128) return Lookup(kWmoParameters, parameter);
  return std::nullopt;
}

}  // namespace tarnwick
