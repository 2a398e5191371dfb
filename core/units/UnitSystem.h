#pragma once
// The display unit settings ("Units_" group) as cheap process-wide indices: the
// position of each setting's chosen keyword in its ordered list of choices.
// They are re-read, with the sailing mode, whenever a unit setting changes;
// reading them is lock-free from any thread.

#include <optional>
#include <string_view>

namespace tarnwick {

enum class UnitSetting : int {
  Depth,
  Distance,
  Height,
  Speed,
  WindSpeed,
  Temperature,
  AirPressure,
  Fuel,
  LocationFormat,
  TimeFormat,
  BearingFormat,
  Sailing,
  Count,
};

// Indices of Units_Distance.
enum DistanceUnits : int {
  kDistanceKilometers = 0,
  kDistanceFeet = 1,
  kDistanceYards = 2,
  kDistanceNauticalMiles = 3,
  kDistanceNauticalMilesAndFeet = 4,
  kDistanceNauticalMilesAndYards = 5,
  kDistanceStatuteMiles = 6,
  kDistanceStatuteMilesAndFeet = 7,
  kDistanceStatuteMilesAndYards = 8,
};

// Indices of Units_LocationFormat.
enum LocationFormat : int {
  kLocationDegreesMinutesSeconds = 0,
  kLocationDegreesMinutes = 1,
  kLocationDegrees = 2,
};

// Indices of Units_BearingFormat.
enum BearingFormat : int {
  kBearingTrue = 0,
  kBearingMagnetic = 1,
};

// The index of the setting's keyword in its choice list (the default's index
// when the stored text is not a known keyword).
int UnitIndex(UnitSetting which);

// The index of keyword (any case) in the setting's choice list, or none.
std::optional<int> ChoiceIndex(UnitSetting which, std::string_view keyword);

// Re-reads every unit setting and sets the sailing mode. Called by the
// settings-changed handler; callable directly (start-up, tests).
void RefreshUnitSettings();

// Applies "English" or "Metric" (any case) to the eight unit keys of depth,
// distance, height, speed, wind speed, temperature, air pressure and fuel.
// False for another name or when a key is locked by the administrator.
bool ApplyUnitPreset(std::string_view preset);

}  // namespace tarnwick
