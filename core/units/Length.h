#pragma once
// A length with its unit, as settings and files carry it ("0.25 nm", "10 ft"),
// with conversions, the long and short display texts and the parser.

#include <string>
#include <string_view>

namespace tarnwick {

// Unit codes; the numbers are stored in files and settings.
enum class LengthUnit : int {
  Invalid = -1,
  NauticalMiles = 0,
  Fathoms = 1,
  StatuteMiles = 2,
  Yards = 3,
  Feet = 4,
  Inches = 5,
  Kilometers = 6,
  Meters = 7,
  Centimeters = 8,
  Millimeters = 9,
};

// Metres in one unit; a code outside 0..9 counts as nautical miles.
double MetresPerUnit(LengthUnit unit);
// The unit for a stored code (-1..9); other codes give Invalid.
LengthUnit LengthUnitFromCode(int code);

struct Length {
  double value = 0.0;
  LengthUnit unit = LengthUnit::Invalid;

  bool IsValid() const { return unit != LengthUnit::Invalid; }
  double Metres() const { return value * MetresPerUnit(unit); }
  double NauticalMiles() const { return Metres() / 1852.0; }
  // The same length in another unit (code outside 0..9: nautical miles).
  Length To(LengthUnit target) const;
  // The value in the unit family of a Units_Distance index (0 kilometres,
  // 1 feet, 2 yards, 3-5 nautical miles, 6-8 statute miles).
  double InDisplayFamily(int distanceIndex) const;
  // The unit of that family.
  static LengthUnit DisplayFamilyUnit(int distanceIndex);

  friend bool operator==(const Length&, const Length&) = default;
};

// "<number> <unit>": nautical and statute miles, kilometres and metres with up
// to 2 decimals, feet with 1, the other units as whole numbers with ','
// between thousands. longNames: "nautical miles" instead of "NM". Invalid: "".
std::string FormatLength(const Length& length, bool longNames);

// Reads "<number> <unit>" (unit words in any case: nm, km, mi, yd, ft, ', in,
// ", cm, mm, fm, m and their long forms). Empty text or "0" is 0 in the base
// unit of the Units_Distance index (by the setting, or the one given).
// Unreadable text gives an invalid Length.
Length ParseLength(std::string_view text);
Length ParseLength(std::string_view text, int distanceIndex);

}  // namespace tarnwick
