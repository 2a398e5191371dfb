#include "core/units/Length.h"

#include <array>
#include <charconv>
#include <cmath>

#include "core/Setting.h"
#include "core/units/UnitFormat.h"
#include "core/units/UnitSystem.h"

namespace tarnwick {

namespace {

struct UnitRow {
  LengthUnit unit;
  double metres;
  const char* shortName;
  const char* longName;
};

// One row per unit code 0..9.
constexpr std::array<UnitRow, 10> kUnits{{
    {LengthUnit::NauticalMiles, 1852.0, "NM", "nautical miles"},
    {LengthUnit::Fathoms, 1.8288, "fm", "fathoms"},
    {LengthUnit::StatuteMiles, 1609.344, "mi", "miles"},
    {LengthUnit::Yards, 0.9144, "yd", "yards"},
    {LengthUnit::Feet, 0.3048, "ft", "feet"},
    {LengthUnit::Inches, 0.0254, "in", "inches"},
    {LengthUnit::Kilometers, 1000.0, "km", "kilometers"},
    {LengthUnit::Meters, 1.0, "m", "meters"},
    {LengthUnit::Centimeters, 0.01, "cm", "centimeters"},
    {LengthUnit::Millimeters, 0.001, "mm", "millimeters"},
}};

struct UnitWord {
  const char* word;
  LengthUnit unit;
};

// Words ParseLength accepts after the number, compared without regard to case.
constexpr UnitWord kUnitWords[] = {
    {"nm", LengthUnit::NauticalMiles},
    {"km", LengthUnit::Kilometers},
    {"mi", LengthUnit::StatuteMiles},
    {"mile", LengthUnit::StatuteMiles},
    {"miles", LengthUnit::StatuteMiles},
    {"yd", LengthUnit::Yards},
    {"yds", LengthUnit::Yards},
    {"yard", LengthUnit::Yards},
    {"yards", LengthUnit::Yards},
    {"ft", LengthUnit::Feet},
    {"foot", LengthUnit::Feet},
    {"feet", LengthUnit::Feet},
    {"'", LengthUnit::Feet},
    {"in", LengthUnit::Inches},
    {"ins", LengthUnit::Inches},
    {"inch", LengthUnit::Inches},
    {"inches", LengthUnit::Inches},
    {"\"", LengthUnit::Inches},
    {"cm", LengthUnit::Centimeters},
    {"mm", LengthUnit::Millimeters},
    {"fm", LengthUnit::Fathoms},
    {"fms", LengthUnit::Fathoms},
    {"fathoms", LengthUnit::Fathoms},
    {"f", LengthUnit::Fathoms},
    {"m", LengthUnit::Meters},
    {"meter", LengthUnit::Meters},
    {"meters", LengthUnit::Meters},
};

const UnitRow& RowOf(LengthUnit unit) {
  const int code = static_cast<int>(unit);
  return kUnits[code >= 0 && code <= 9 ? code : 0];
}

bool IsBlank(char c) {
  return c == ' ' || c == '\t';
}

std::string_view TrimBlanks(std::string_view s) {
  while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
  while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
  return s;
}

// A whole number with ',' between groups of three digits ("-1,234,568").
std::string GroupedWholeNumber(double value) {
  const double rounded = std::floor(value + 0.5);
  if (!std::isfinite(rounded) || std::fabs(rounded) >= 1e18) return FormatNumber(rounded, 0);
  const long long n = static_cast<long long>(rounded);
  const std::string digits = std::to_string(n < 0 ? -n : n);
  std::string out = n < 0 ? "-" : "";
  for (size_t i = 0; i < digits.size(); ++i) {
    if (i > 0 && (digits.size() - i) % 3 == 0) out += ',';
    out += digits[i];
  }
  return out;
}

}  // namespace

double MetresPerUnit(LengthUnit unit) {
  return RowOf(unit).metres;
}

LengthUnit LengthUnitFromCode(int code) {
  return code >= 0 && code <= 9 ? static_cast<LengthUnit>(code) : LengthUnit::Invalid;
}

Length Length::To(LengthUnit target) const {
  if (target == LengthUnit::Invalid) return Length{};
  return Length{Metres() / MetresPerUnit(target), target};
}

LengthUnit Length::DisplayFamilyUnit(int distanceIndex) {
  switch (distanceIndex) {
    case kDistanceKilometers:
      return LengthUnit::Kilometers;
    case kDistanceFeet:
      return LengthUnit::Feet;
    case kDistanceYards:
      return LengthUnit::Yards;
    case kDistanceStatuteMiles:
    case kDistanceStatuteMilesAndFeet:
    case kDistanceStatuteMilesAndYards:
      return LengthUnit::StatuteMiles;
    default:
      return LengthUnit::NauticalMiles;
  }
}

double Length::InDisplayFamily(int distanceIndex) const {
  const double m = Metres();
  switch (DisplayFamilyUnit(distanceIndex)) {
    case LengthUnit::Kilometers:
      return m * 0.001;
    case LengthUnit::Feet:
      return m * 3.280839895013123;
    case LengthUnit::Yards:
      return m * 1.0936132983377078;
    case LengthUnit::StatuteMiles:
      return m * 0.0006213711922373339;
    default:
      return m * 0.0005399568034557236;
  }
}

std::string FormatLength(const Length& length, bool longNames) {
  const int code = static_cast<int>(length.unit);
  if (code < 0 || code > 9) return {};
  const UnitRow& row = kUnits[code];
  std::string number;
  switch (length.unit) {
    case LengthUnit::NauticalMiles:
    case LengthUnit::StatuteMiles:
    case LengthUnit::Kilometers:
    case LengthUnit::Meters:
      number = FormatNumber(length.value, 2);
      break;
    case LengthUnit::Feet:
      number = FormatNumber(length.value, 1);
      break;
    default:
      number = GroupedWholeNumber(length.value);
      break;
  }
  return number + ' ' + (longNames ? row.longName : row.shortName);
}

Length ParseLength(std::string_view text) {
  return ParseLength(text, UnitIndex(UnitSetting::Distance));
}

Length ParseLength(std::string_view text, int distanceIndex) {
  text = TrimBlanks(text);
  if (text.empty() || text == "0") {
    switch (distanceIndex) {
      case kDistanceKilometers:
        return Length{0.0, LengthUnit::Kilometers};
      case kDistanceFeet:
        return Length{0.0, LengthUnit::Feet};
      case kDistanceYards:
        return Length{0.0, LengthUnit::Yards};
      case kDistanceNauticalMiles:
        return Length{0.0, LengthUnit::NauticalMiles};
      case kDistanceStatuteMiles:
        return Length{0.0, LengthUnit::StatuteMiles};
      default:
        return Length{};
    }
  }
  // The number: optional sign, digits with at most one '.'.
  size_t i = 0;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  const size_t start = i;
  bool point = false, digit = false;
  for (; i < text.size(); ++i) {
    if (text[i] >= '0' && text[i] <= '9') {
      digit = true;
    } else if (text[i] == '.' && !point) {
      point = true;
    } else {
      break;
    }
  }
  if (!digit) return Length{};
  double value = 0.0;
  const auto [end, ec] = std::from_chars(text.data() + start, text.data() + i, value);
  if (ec != std::errc() || end != text.data() + i || !std::isfinite(value)) return Length{};
  const std::string_view word = TrimBlanks(text.substr(i));
  for (const UnitWord& w : kUnitWords)
    if (EqualsIgnoreCase(word, w.word)) return Length{negative ? -value : value, w.unit};
  return Length{};
}

}  // namespace tarnwick
