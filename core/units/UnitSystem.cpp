#include "core/units/UnitSystem.h"

#include <array>
#include <atomic>

#include "core/Log.h"
#include "core/Setting.h"
#include "core/geo/Geodesy.h"
#include "core/settings/UnitsSettings.h"

namespace tarnwick {

namespace {

constexpr size_t kCount = static_cast<size_t>(UnitSetting::Count);

// The setting behind each UnitSetting, in enum order.
CSetting& SettingOf(UnitSetting which) {
  static const std::array<CSetting*, kCount> settings{
      &opt::Units_Depth,       &opt::Units_Distance,      &opt::Units_Height,
      &opt::Units_Speed,       &opt::Units_WindSpeed,     &opt::Units_Temperature,
      &opt::Units_AirPressure, &opt::Units_Fuel,          &opt::Units_LocationFormat,
      &opt::Units_TimeFormat,  &opt::Units_BearingFormat, &opt::Units_Sailing};
  return *settings[static_cast<size_t>(which)];
}

// Position of keyword in the setting's choice list, or -1.
int IndexOfKeyword(const CSetting& setting, std::string_view keyword) {
  const auto* choices = dynamic_cast<const CChoiceDescriptor*>(setting.Descriptor());
  if (!choices) return -1;
  const auto& options = choices->Options();
  for (size_t i = 0; i < options.size(); ++i)
    if (EqualsIgnoreCase(options[i].keyword, keyword)) return static_cast<int>(i);
  return -1;
}

int ChosenIndex(const CSetting& setting) {
  const std::string text = setting.Text();
  int index = IndexOfKeyword(setting, text);
  if (index < 0) {
    Log("UnitSystem: %s has unknown value \"%s\", using \"%s\"\n", setting.Name(), text.c_str(),
        setting.DefaultText());
    index = IndexOfKeyword(setting, setting.DefaultText());
  }
  return index < 0 ? 0 : index;
}

// Indices as the defaults give them, until the settings are first read.
std::array<std::atomic<int>, kCount>& Indices() {
  static std::array<std::atomic<int>, kCount> indices;
  static const bool initialised = [] {
    for (size_t i = 0; i < kCount; ++i) {
      const CSetting& s = SettingOf(static_cast<UnitSetting>(i));
      const int index = IndexOfKeyword(s, s.DefaultText());
      indices[i].store(index < 0 ? 0 : index);
    }
    return true;
  }();
  (void)initialised;
  return indices;
}

// Re-reads the unit settings whenever one of them changes.
class CUnitSettingsListener final : public CSettingListener {
 public:
  void SettingChanged(CSetting& setting) override {
    if (StartsWithIgnoreCase(setting.Name(), "Units_")) RefreshUnitSettings();
  }
};

const CUnitSettingsListener g_listener;

struct PresetValue {
  CSetting* setting;
  const char* english;
  const char* metric;
};

}  // namespace

int UnitIndex(UnitSetting which) {
  const size_t i = static_cast<size_t>(which);
  if (i >= kCount) return 0;
  return Indices()[i].load(std::memory_order_relaxed);
}

std::optional<int> ChoiceIndex(UnitSetting which, std::string_view keyword) {
  if (static_cast<size_t>(which) >= kCount) return std::nullopt;
  const int index = IndexOfKeyword(SettingOf(which), keyword);
  if (index < 0) return std::nullopt;
  return index;
}

void RefreshUnitSettings() {
  auto& indices = Indices();
  for (size_t i = 0; i < kCount; ++i)
    indices[i].store(ChosenIndex(SettingOf(static_cast<UnitSetting>(i))),
                     std::memory_order_relaxed);
  SetSailingMode(indices[static_cast<size_t>(UnitSetting::Sailing)].load() == 1
                     ? Sailing::GreatCircle
                     : Sailing::RhumbLine);
}

bool ApplyUnitPreset(std::string_view preset) {
  const bool english = EqualsIgnoreCase(preset, "English");
  if (!english && !EqualsIgnoreCase(preset, "Metric")) return false;
  const PresetValue values[] = {
      {&opt::Units_Depth, "fathoms", "meters"},
      {&opt::Units_Distance, "nautical-miles", "kilometers"},
      {&opt::Units_Height, "feet", "meters"},
      {&opt::Units_Speed, "knots", "kph"},
      {&opt::Units_WindSpeed, "knots", "m/s"},
      {&opt::Units_Temperature, "fahrenheit", "celsius"},
      {&opt::Units_AirPressure, "inHg", "mbar"},
      {&opt::Units_Fuel, "gallons", "liters"},
  };
  bool all = true;
  for (const PresetValue& v : values) all = v.setting->Set(english ? v.english : v.metric) && all;
  return all;
}

}  // namespace tarnwick
