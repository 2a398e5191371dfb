#pragma once
// The display groups of the weather layer as the "Weather" settings hold
// them: which weather types a group shows and how (wind barbs, arrows,
// isobars, a colour gradient, text values, the colour).

#include <string>
#include <vector>

namespace tarnwick {

struct WeatherDisplayAttr {
  int weatherType = 0;
  std::string displayType = "None";   // "None", "Wind Barbs", "Arrows", "Isobars"
  std::string gradientType = "None";  // "None", "Smooth", "Banded"
  bool showText = false;
  std::string argb;                   // CSS colour text
};

struct WeatherDisplayGroup {
  int index = 0;
  std::string name;
  int version = 0;
  std::vector<WeatherDisplayAttr> attrs;  // the group's "Count" entries
};

// Every group from the settings, in the order offered.
std::vector<WeatherDisplayGroup> WeatherDisplayGroups();
// The index of the group Weather_ActiveGroup names (the first when unknown).
int ActiveWeatherGroup();

// Resets the groups stored by an older version of the program to the
// shipped ones; returns how many were reset. Run once the settings are loaded.
int UpgradeWeatherGroups();

// Replaces a group's entries (at most the number of attribute slots; weather
// types from the weather-type table, display and gradient types from their
// lists). False with error set when an entry is not acceptable; nothing is then changed.
bool SetWeatherGroupAttrs(int group, const std::vector<WeatherDisplayAttr>& attrs, std::string& error);

}  // namespace tarnwick
