#pragma once
// The settings of the "Weather" group: the last forecast file, the active
// display group, the display groups themselves (per group "Version",
// "Count", "Name" and "Attr%d" entries with "WeatherType", "DisplayType",
// "GradientType", "ShowText", "ARGB": Weather_Group2_Attr0_DisplayType) and
// the forecast request's choices ("DownloadDlg": "Items", "Days", "Custom",
// "Region").

#include <array>

#include "core/Setting.h"

namespace tarnwick::opt {

extern CSetting Weather_LastFile;
extern CSetting Weather_ActiveGroup;
extern CSetting Weather_DownloadDlg_Items;
extern CSetting Weather_DownloadDlg_Days;
extern CSetting Weather_DownloadDlg_Custom;
extern CSetting Weather_DownloadDlg_Region;

inline constexpr int kWeatherGroupCount = 7;
inline constexpr int kWeatherGroupAttrs = 4;  // attribute entries per group
// Raised when the shipped groups change: a group stored with an older version
// is reset to the shipped one.
inline constexpr int kWeatherGroupVersion = 1;

// One shown weather type of a display group.
struct WeatherAttrDefault {
  int weatherType;          // 0: the entry is unused
  const char* displayType;  // "None", "Wind Barbs", "Arrows", "Isobars"
  const char* gradientType; // "None", "Smooth", "Banded"
  bool showText;
  const char* argb;         // the colour of barbs, arrows, lines and text
};

struct WeatherGroupDefault {
  const char* name;
  int count;
  std::array<WeatherAttrDefault, kWeatherGroupAttrs> attrs;
};

// The shipped groups, in the order offered: "Custom", "Temp & Pressure",
// "Wind & Pressure", "Wind, Temp & Pressure", "Rain, Wind, Temp",
// "Wind Waves", "Current".
const std::array<WeatherGroupDefault, kWeatherGroupCount>& WeatherGroupDefaults();

// The setting of a group's entry ("Version", "Count", "Name") or of an
// attribute's field ("WeatherType", ...); null for an unknown one.
CSetting* WeatherGroupSetting(int group, const char* entry);
CSetting* WeatherAttrSetting(int group, int attr, const char* field);

}  // namespace tarnwick::opt
