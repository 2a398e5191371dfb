#include "core/settings/WeatherSettings.h"

#include <deque>
#include <string>

namespace tarnwick::opt {
namespace {

constexpr const char* kBlack = "rgba(0, 0, 0, 1)";
constexpr const char* kNavy = "rgba(0, 0, 128, 1)";
constexpr const char* kPurple = "rgba(128, 0, 128, 1)";
constexpr const char* kTeal = "rgba(0, 96, 96, 1)";
constexpr WeatherAttrDefault kUnused{0, "None", "None", false, kBlack};

const std::array<WeatherGroupDefault, kWeatherGroupCount> kGroups{{
    {"Custom", 2, {{{29, "Wind Barbs", "None", false, kBlack}, {3, "Isobars", "None", false, kPurple}, kUnused, kUnused}}},
    {"Temp & Pressure", 2, {{{2, "None", "Smooth", true, kBlack}, {3, "Isobars", "None", false, kPurple}, kUnused, kUnused}}},
    {"Wind & Pressure", 3, {{{29, "Wind Barbs", "None", false, kBlack}, {25, "Wind Barbs", "None", false, kBlack},
                             {3, "Isobars", "None", false, kPurple}, kUnused}}},
    {"Wind, Temp & Pressure", 3, {{{29, "Wind Barbs", "None", false, kBlack}, {2, "None", "Smooth", false, kBlack},
                                   {3, "Isobars", "None", false, kPurple}, kUnused}}},
    {"Rain, Wind, Temp", 3, {{{4, "None", "Smooth", false, kBlack}, {29, "Wind Barbs", "None", false, kBlack},
                              {2, "None", "None", true, kBlack}, kUnused}}},
    {"Wind Waves", 3, {{{7, "Arrows", "Smooth", true, kNavy}, {13, "None", "Banded", false, kNavy},
                        {29, "Wind Barbs", "None", false, kBlack}, kUnused}}},
    {"Current", 2, {{{35, "Arrows", "Smooth", true, kTeal}, {34, "Arrows", "Smooth", true, kTeal}, kUnused, kUnused}}},
}};

const CChoiceDescriptor kActiveGroupChoices{{"Custom", "Custom"},
                                            {"Temp & Pressure", "Temp & Pressure"},
                                            {"Wind & Pressure", "Wind & Pressure"},
                                            {"Wind, Temp & Pressure", "Wind, Temp & Pressure"},
                                            {"Rain, Wind, Temp", "Rain, Wind, Temp"},
                                            {"Wind Waves", "Wind Waves"},
                                            {"Current", "Current"}};
const CChoiceDescriptor kDisplayTypeChoices{
    {"None", "None"}, {"Wind Barbs", "Wind Barbs"}, {"Arrows", "Arrows"}, {"Isobars", "Isobars"}};
const CChoiceDescriptor kGradientTypeChoices{{"None", "None"}, {"Smooth", "Smooth"}, {"Banded", "Banded"}};

// The per-group settings, made at static initialisation from the shipped
// groups; names and default texts live as long as the settings.
struct GroupSettings {
  std::deque<std::string> texts;
  std::deque<CSetting> settings;

  const char* Keep(std::string text) { return texts.emplace_back(std::move(text)).c_str(); }
  void Add(SettingKind kind, const std::string& name, std::string fallback,
           const CSettingDescriptor* descriptor = nullptr) {
    const char* keptName = Keep(name);
    settings.emplace_back(kind, keptName, Keep(std::move(fallback)), descriptor);
  }

  GroupSettings() {
    for (int g = 0; g < kWeatherGroupCount; ++g) {
      const std::string group = "Weather_Group" + std::to_string(g) + "_";
      Add(SettingKind::Text, group + "Version", std::to_string(kWeatherGroupVersion));
      Add(SettingKind::Text, group + "Count", std::to_string(kGroups[g].count));
      Add(SettingKind::Text, group + "Name", kGroups[g].name);
      for (int a = 0; a < kWeatherGroupAttrs; ++a) {
        const WeatherAttrDefault& d = kGroups[g].attrs[a];
        const std::string attr = group + "Attr" + std::to_string(a) + "_";
        Add(SettingKind::Text, attr + "WeatherType", std::to_string(d.weatherType));
        Add(SettingKind::Choice, attr + "DisplayType", d.displayType, &kDisplayTypeChoices);
        Add(SettingKind::Choice, attr + "GradientType", d.gradientType, &kGradientTypeChoices);
        Add(SettingKind::Boolean, attr + "ShowText", d.showText ? "true" : "false");
        Add(SettingKind::Colour, attr + "ARGB", d.argb);
      }
    }
  }
};

GroupSettings& Groups() {
  static GroupSettings groups;
  return groups;
}
// Registers the group settings with the others, at static initialisation.
const bool kGroupsRegistered = (Groups(), true);

}  // namespace

CSetting Weather_LastFile(SettingKind::Text, "Weather_LastFile", "");
CSetting Weather_ActiveGroup(SettingKind::Choice, "Weather_ActiveGroup", "Wind & Pressure", &kActiveGroupChoices);
CSetting Weather_DownloadDlg_Items(SettingKind::Text, "Weather_DownloadDlg_Items", "wind,pressure");
CSetting Weather_DownloadDlg_Days(SettingKind::Text, "Weather_DownloadDlg_Days", "3");
CSetting Weather_DownloadDlg_Custom(SettingKind::Boolean, "Weather_DownloadDlg_Custom", "false");
CSetting Weather_DownloadDlg_Region(SettingKind::Text, "Weather_DownloadDlg_Region", "");

const std::array<WeatherGroupDefault, kWeatherGroupCount>& WeatherGroupDefaults() {
  return kGroups;
}

CSetting* WeatherGroupSetting(int group, const char* entry) {
  return FindSetting("Weather_Group" + std::to_string(group) + "_" + entry);
}

CSetting* WeatherAttrSetting(int group, int attr, const char* field) {
  return FindSetting("Weather_Group" + std::to_string(group) + "_Attr" + std::to_string(attr) + "_" + field);
}

}  // namespace tarnwick::opt
