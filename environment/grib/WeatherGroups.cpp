#include "environment/grib/WeatherGroups.h"

#include <algorithm>

#include "core/Log.h"
#include "core/settings/WeatherSettings.h"
#include "environment/grib/GribTables.h"

namespace tarnwick {
namespace {

std::string Text(CSetting* setting) {
  return setting ? setting->Text() : std::string();
}

bool IsChoice(const CSetting* setting, const std::string& value) {
  const auto* choices = setting ? dynamic_cast<const CChoiceDescriptor*>(setting->Descriptor()) : nullptr;
  return choices && choices->Find(value);
}

}  // namespace

std::vector<WeatherDisplayGroup> WeatherDisplayGroups() {
  std::vector<WeatherDisplayGroup> groups;
  for (int g = 0; g < opt::kWeatherGroupCount; ++g) {
    WeatherDisplayGroup group;
    group.index = g;
    group.name = Text(opt::WeatherGroupSetting(g, "Name"));
    group.version = opt::WeatherGroupSetting(g, "Version")->GetInt();
    const int count = std::clamp(opt::WeatherGroupSetting(g, "Count")->GetInt(), 0, opt::kWeatherGroupAttrs);
    for (int a = 0; a < count; ++a) {
      WeatherDisplayAttr attr;
      attr.weatherType = opt::WeatherAttrSetting(g, a, "WeatherType")->GetInt();
      attr.displayType = Text(opt::WeatherAttrSetting(g, a, "DisplayType"));
      attr.gradientType = Text(opt::WeatherAttrSetting(g, a, "GradientType"));
      attr.showText = opt::WeatherAttrSetting(g, a, "ShowText")->GetBool();
      attr.argb = Text(opt::WeatherAttrSetting(g, a, "ARGB"));
      if (FindWeatherType(attr.weatherType)) group.attrs.push_back(std::move(attr));
    }
    groups.push_back(std::move(group));
  }
  return groups;
}

int ActiveWeatherGroup() {
  const std::string active = opt::Weather_ActiveGroup.Text();
  const auto& shipped = opt::WeatherGroupDefaults();
  for (int g = 0; g < opt::kWeatherGroupCount; ++g)
    if (EqualsIgnoreCase(active, shipped[static_cast<size_t>(g)].name)) return g;
  return 0;
}

int UpgradeWeatherGroups() {
  int reset = 0;
  for (int g = 0; g < opt::kWeatherGroupCount; ++g) {
    if (opt::WeatherGroupSetting(g, "Version")->GetInt() >= opt::kWeatherGroupVersion) continue;
    for (const char* entry : {"Version", "Count", "Name"}) opt::WeatherGroupSetting(g, entry)->ResetToDefault();
    for (int a = 0; a < opt::kWeatherGroupAttrs; ++a)
      for (const char* field : {"WeatherType", "DisplayType", "GradientType", "ShowText", "ARGB"})
        opt::WeatherAttrSetting(g, a, field)->ResetToDefault();
    Log("CWeather: display group %d reset to the shipped one\n", g);
    ++reset;
  }
  return reset;
}

bool SetWeatherGroupAttrs(int group, const std::vector<WeatherDisplayAttr>& attrs, std::string& error) {
  if (group < 0 || group >= opt::kWeatherGroupCount) {
    error = "no display group " + std::to_string(group);
    return false;
  }
  if (attrs.size() > static_cast<size_t>(opt::kWeatherGroupAttrs)) {
    error = "a group shows at most " + std::to_string(opt::kWeatherGroupAttrs) + " weather types";
    return false;
  }
  for (size_t a = 0; a < attrs.size(); ++a) {
    const WeatherDisplayAttr& attr = attrs[a];
    const int slot = static_cast<int>(a);
    if (!FindWeatherType(attr.weatherType)) error = "unknown weather type " + std::to_string(attr.weatherType);
    else if (!IsChoice(opt::WeatherAttrSetting(group, slot, "DisplayType"), attr.displayType))
      error = "unknown display type \"" + attr.displayType + "\"";
    else if (!IsChoice(opt::WeatherAttrSetting(group, slot, "GradientType"), attr.gradientType))
      error = "unknown gradient type \"" + attr.gradientType + "\"";
    else if (attr.argb.empty() || attr.argb.size() > 64)
      error = "a colour is needed";
    if (!error.empty()) return false;
  }
  for (size_t a = 0; a < attrs.size(); ++a) {
    const int slot = static_cast<int>(a);
    opt::WeatherAttrSetting(group, slot, "WeatherType")->SetInt(attrs[a].weatherType);
    opt::WeatherAttrSetting(group, slot, "DisplayType")->Set(attrs[a].displayType);
    opt::WeatherAttrSetting(group, slot, "GradientType")->Set(attrs[a].gradientType);
    opt::WeatherAttrSetting(group, slot, "ShowText")->SetBool(attrs[a].showText);
    opt::WeatherAttrSetting(group, slot, "ARGB")->Set(attrs[a].argb);
  }
  opt::WeatherGroupSetting(group, "Count")->SetInt(static_cast<int>(attrs.size()));
  return true;
}

}  // namespace tarnwick
