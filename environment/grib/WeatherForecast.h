#pragma once
// A loaded weather forecast: one latitude/longitude grid per weather type and
// valid time (rows from south to north, latitudes -70 to 70, 1e30 where there
// is no data), and its values at a position and time: bilinear between grid
// points (across the 0°/360° seam of grids that go round the Earth), linear
// between forecast times, directions on the circle, and the vector types
// combined from their u/v or speed/direction companions.

#include <cstdint>
#include <optional>
#include <vector>

#include "environment/grib/GribRecord.h"

namespace tarnwick {

struct WeatherGrid {
  int type = 0;              // weather type number
  int64_t validTime = 0;     // seconds since 1970, UTC
  int64_t referenceTime = 0;
  int levelType = 0;         // of the record it came from
  int level = 0;
  double lat0 = 0;           // the southern row, degrees
  double lon0 = 0;           // the western column, degrees east, 0..360
  double dlat = 0;           // row and column spacing, degrees, > 0
  double dlon = 0;
  int ni = 0;                // columns
  int nj = 0;                // rows
  bool wraps = false;        // the columns go once round the Earth
  std::vector<float> values{};  // ni × nj, row by row from the south, west to east

  float At(int i, int j) const { return values[static_cast<size_t>(j) * static_cast<size_t>(ni) + static_cast<size_t>(i)]; }
  // The grid's value at a position (degrees), bilinear; empty outside the
  // grid or when the grid point nearest the position has no data (corners
  // without data are left out of the weighting). directions: interpolate on the circle.
  std::optional<double> ValueAt(double lat, double lon, bool directions = false) const;
};

// A value of a weather type at a place and time, with its companion: for the
// u/v types the value is the speed and the companion the direction (wind:
// from; current: towards), for the other pairs the companion type's value.
struct WeatherReading {
  int type = 0;
  double value = 0;               // in the type's unit (speeds m/s, directions degrees true)
  int companionType = 0;          // 0 without
  std::optional<double> companion{};
};

class CWeatherForecast {
 public:
  CWeatherForecast() = default;
  explicit CWeatherForecast(std::vector<WeatherGrid> grids);

  const std::vector<WeatherGrid>& Grids() const { return grids_; }
  bool Empty() const { return grids_.empty(); }
  // The weather types present, in table order.
  std::vector<int> Types() const;
  // Every valid time of any type, ascending.
  std::vector<int64_t> Times() const;
  // The grid of a type at exactly a valid time, or null.
  const WeatherGrid* Find(int type, int64_t time) const;

  // The value of one type at a position (degrees) and time (seconds since
  // 1970), linear in time between the two forecast times around it; empty
  // outside the grids or the forecast's times, or without data there.
  std::optional<double> Value(int type, double lat, double lon, int64_t time) const;
  // The reading of a type with its companion (see WeatherReading); the u/v
  // types need both components.
  std::optional<WeatherReading> Reading(int type, double lat, double lon, int64_t time) const;
  // The types a read-out lists: every type present except the v components
  // and a companion already shown with its partner (unless it has a companion
  // of its own present).
  std::vector<int> ListedTypes() const;

 private:
  std::vector<WeatherGrid> grids_;  // by type (table order), then time
};

// The direction a u/v vector points towards, degrees true 0..360.
double VectorDirection(double u, double v);

}  // namespace tarnwick
