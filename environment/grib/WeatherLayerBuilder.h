#pragma once
// Turns decoded GRIB records into the forecast's weather grids: the grid is
// cut to latitudes -70 … 70 by whole rows, values are turned into the weather
// type's unit and the producers' missing value 9.999e20 into 1e30. Regular
// latitude/longitude grids are copied row by row; Gaussian, rotated and polar
// stereographic grids are resampled onto a latitude/longitude grid of about
// their own spacing, with u/v components given along the grid's axes turned
// to east and north. Where several records give the same type and time, the
// one nearest the surface is kept (500 hPa for the 500 mb height).

#include <map>
#include <string>
#include <tuple>
#include <vector>

#include "environment/grib/GribRecord.h"
#include "environment/grib/WeatherForecast.h"

namespace tarnwick {

inline constexpr double kLayerLatitudeLimit = 70.0;

class CWeatherLayerBuilder {
 public:
  // Adds a decoded record. False, with why set, when it yields no layer (not
  // a weather type, no valid time, a grid that cannot be placed, a level
  // farther from the surface than one already kept).
  bool Add(const GribRecord& record, std::string& why);
  // The grids built so far; u/v components along a grid's axes whose partner
  // never came are left out.
  CWeatherForecast Finish();

 private:
  struct Pending {
    WeatherGrid grid;
    std::vector<double> axisBearing;  // per point of grid, degrees
  };
  void Keep(WeatherGrid grid);

  std::vector<WeatherGrid> grids_;
  // Grid-relative u or v waiting for its partner, by (type, time, level type, level).
  std::map<std::tuple<int, int64_t, int, int>, Pending> pending_;
};

// The rank of a record's level for keeping one record per type and time:
// lower is nearer the surface (for type 32, nearer 500 hPa).
int LevelRank(int type, int levelType, int level);

}  // namespace tarnwick
