#pragma once
// The weather forecast's routes of the embedded HTTP server (the chart's
// weather layer, its time bar and the weather page):
//   GET  /api/weather                  the open forecast: state, types, times, bounds, display groups
//   GET  /api/weather/files            the forecast files in the weather folder
//   GET  /api/weather/grid             one grid (type, time, box, size; JSON or compact binary)
//   GET  /api/weather/value            every weather type's reading at a place and time
//   GET  /api/weather/request          a forecast request's text and where its reply goes
//   POST /api/weather/graphical-weather-open-grib   {"name"}: opens a file of the weather folder
//   POST /api/weather/graphical-weather-close-grib  closes the forecast
//   POST /api/weather/upload           {"name","base64"}: a forecast file, stored in the weather folder and opened
//   GET  /api/weather/groups           the display groups and the weather types they may show
//   POST /api/weather/groups           {"activeGroup"} or {"group","attrs"}: the display groups
// See server/README.md for the JSON.

#include <filesystem>
#include <optional>
#include <string>

#include "server/HttpServer.h"

namespace tarnwick {

class CWeatherRoutes {
 public:
  // Mounts the routes; folder is the weather folder files are opened from and uploaded to.
  static void Mount(CHttpServer& server, std::filesystem::path folder);
};

// The weather folder file a request names: a plain file name (no folders,
// not hidden) with a forecast file extension; empty when the name is not acceptable.
std::optional<std::filesystem::path> WeatherFolderFile(const std::filesystem::path& folder, const std::string& name);

}  // namespace tarnwick
