#pragma once
// The weather forecast in the running program: "Init Weather" prepares the
// weather folder, brings the display groups up to date, starts watching the
// folder and reopens the last forecast; an application timer opens a file
// dropped into the folder; "Exit_Charts" stops a load under way.

#include <filesystem>

namespace tarnwick {

class CApplication;

// Opens a forecast file (the command "graphical-weather-open-grib"); the
// load runs in the background (WeatherService().Status()).
void OpenWeatherFile(const std::filesystem::path& path);
// Closes the forecast (the command "graphical-weather-close-grib").
void CloseWeatherFile();

// Registers the stages above with the application.
void RegisterWeather(CApplication& app);

}  // namespace tarnwick
