#include "instruments/ais/AisTexts.h"

#include <cstdio>

#include "core/Notifications.h"

namespace tarnwick {
namespace {

struct ShipTypeName {
  int value;
  const char* text;
};

// Types with a name of their own.
constexpr ShipTypeName kNamedTypes[] = {
    {0, "Not Available"},
    {20, "WIG"},
    {21, "Vessel Engaged in Towing"},
    {22, "Vessel Engaged in Towing"},
    {23, "Light Boat"},
    {24, "Mobile Offshore Drilling Unit"},
    {25, "Offshore Supply Vessel"},
    {26, "Processing Vessel"},
    {27, "Research or Training Vessel"},
    {28, "Public or Governmental Vessel"},
    {29, "Autonomous or Remotely Operated Vessel"},
    {30, "Fishing Vessel"},
    {31, "Towing Vessel"},
    {32, "Towing Vessel with Large Tow"},
    {33, "Vessel Engaged in Dredging or Underwater Operations"},
    {34, "Vessel Engaged in Diving Operations"},
    {35, "Vessel Engaged in Military Operations"},
    {36, "Sailing Vessel"},
    {37, "Pleasure Craft"},
    {50, "Pilot Vessel"},
    {51, "Search and Rescue Vessel"},
    {52, "Tug"},
    {53, "Port Tender"},
    {54, "Anti-Pollution Vessel"},
    {55, "Law Enforcement Vessel"},
    {57, "Towboat and Tow (US)"},
    {58, "Medical Transport"},
};

// Families by tens digit; the ones digit 1..4 adds a hazard category.
const char* FamilyText(int tens) {
  switch (tens) {
    case 2:
      return "WIG";
    case 4:
      return "High Speed Craft";
    case 6:
      return "Passenger Ship";
    case 7:
      return "Cargo Ship";
    case 8:
      return "Tanker";
    case 9:
      return "Other";
    default:
      return nullptr;
  }
}

constexpr const char* kNavStatusTexts[] = {
    "Underway with engine",
    "At anchor",
    "Not under command",
    "Restricted maneuverability",
    "Constrained by draft",
    "Moored",
    "Aground",
    "Fishing",
    "Sailing",
    "9 (reserved for HSC category)",
    "10 (reserved for WIG category)",
    "Towing astern",
    "Pushing ahead or towing alongside",
    "13 (reserved for future use)",
    "AIS-SART (active)",
};

std::string WithValue(const char* text, int value) {
  char number[16];
  snprintf(number, sizeof number, "%02d", value);
  return ExpandMessage(text, {number});
}

}  // namespace

std::string ShipTypeText(int shipType) {
  for (const ShipTypeName& named : kNamedTypes) {
    if (named.value == shipType) return named.text;
  }
  if (shipType >= 1 && shipType <= 99) {
    if (const char* family = FamilyText(shipType / 10)) {
      std::string text = family;
      const int category = shipType % 10;
      if (category >= 1 && category <= 4) {
        text += "; Carrying IMO hazard or pollutant category ";
        text += static_cast<char>('A' + category - 1);
      }
      return text;
    }
  }
  if (shipType >= 100 && shipType <= 199) return WithValue("Regional vessel type $1", shipType);
  return WithValue("Reserved vessel type $1", shipType);
}

const char* NavStatusText(int navStatus) {
  if (navStatus < 0 || navStatus >= static_cast<int>(std::size(kNavStatusTexts))) return "";
  return kNavStatusTexts[navStatus];
}

}  // namespace tarnwick
