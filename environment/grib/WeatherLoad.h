#pragma once
// Loading a forecast file: maps (or expands) it, reads its records in order
// and builds the weather layers, reporting progress in percent. A record that
// does not hold together ends the reading; the layers read so far stay.

#include <atomic>
#include <cstddef>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>

#include "environment/grib/WeatherForecast.h"

namespace tarnwick {

inline constexpr const char* kNoWeatherTypesMessage = "No supported weather types were found in this file.";

struct WeatherLoadResult {
  std::shared_ptr<const CWeatherForecast> forecast;  // null when the file gave no layer
  std::string message;       // for the user when forecast is null
  size_t records = 0;        // GRIB1 records read
  size_t layers = 0;         // weather grids built
  size_t otherEditions = 0;  // messages of other editions stepped over
  bool truncated = false;    // reading ended early at a record that does not hold together
  std::string truncation;    // where and why
  bool cancelled = false;
};

// progress: percent of the file read, rising; cancel: when set, reading stops
// and the result is cancelled (no forecast).
WeatherLoadResult LoadWeatherFile(const std::filesystem::path& path,
                                  const std::function<void(int percent)>& progress = {},
                                  const std::atomic<bool>* cancel = nullptr);

}  // namespace tarnwick
