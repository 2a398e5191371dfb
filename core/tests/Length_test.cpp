#include "core/units/Length.h"

#include <gtest/gtest.h>

#include "core/units/UnitSystem.h"

namespace tarnwick {
namespace {

TEST(Length, ConversionsBetweenUnits) {
  struct Row {
    Length in;
    LengthUnit to;
    double expected;
  } rows[] = {
      {{1, LengthUnit::NauticalMiles}, LengthUnit::Meters, 1852.0},
      {{1, LengthUnit::Fathoms}, LengthUnit::Feet, 6.0},
      {{1, LengthUnit::StatuteMiles}, LengthUnit::Yards, 1760.0},
      {{1, LengthUnit::Yards}, LengthUnit::Inches, 36.0},
      {{1, LengthUnit::Kilometers}, LengthUnit::Centimeters, 100000.0},
      {{1, LengthUnit::Meters}, LengthUnit::Millimeters, 1000.0},
      {{1852, LengthUnit::Meters}, LengthUnit::NauticalMiles, 1.0},
      {{2, static_cast<LengthUnit>(42)}, LengthUnit::Meters, 3704.0},  // unknown code counts as nm
  };
  for (const Row& r : rows) {
    const Length out = r.in.To(r.to);
    EXPECT_EQ(out.unit, r.to);
    EXPECT_NEAR(out.value, r.expected, 1e-9 * r.expected) << static_cast<int>(r.in.unit);
  }
  EXPECT_DOUBLE_EQ((Length{0.5, LengthUnit::NauticalMiles}).Metres(), 926.0);
  EXPECT_DOUBLE_EQ((Length{926, LengthUnit::Meters}).NauticalMiles(), 0.5);
  EXPECT_FALSE(Length{}.IsValid());
  EXPECT_FALSE((Length{1, LengthUnit::Meters}).To(LengthUnit::Invalid).IsValid());
  EXPECT_EQ(LengthUnitFromCode(4), LengthUnit::Feet);
  EXPECT_EQ(LengthUnitFromCode(10), LengthUnit::Invalid);
}

TEST(Length, DisplayFamilyOfTheDistanceIndex) {
  const Length oneKm{1, LengthUnit::Kilometers};
  struct Row {
    int index;
    LengthUnit unit;
    double value;
  } rows[] = {
      {kDistanceKilometers, LengthUnit::Kilometers, 1.0},
      {kDistanceFeet, LengthUnit::Feet, 3280.839895013123},
      {kDistanceYards, LengthUnit::Yards, 1093.6132983377078},
      {kDistanceNauticalMiles, LengthUnit::NauticalMiles, 0.5399568034557236},
      {kDistanceNauticalMilesAndFeet, LengthUnit::NauticalMiles, 0.5399568034557236},
      {kDistanceNauticalMilesAndYards, LengthUnit::NauticalMiles, 0.5399568034557236},
      {kDistanceStatuteMiles, LengthUnit::StatuteMiles, 0.6213711922373339},
      {kDistanceStatuteMilesAndYards, LengthUnit::StatuteMiles, 0.6213711922373339},
  };
  for (const Row& r : rows) {
    EXPECT_EQ(Length::DisplayFamilyUnit(r.index), r.unit) << r.index;
    EXPECT_NEAR(oneKm.InDisplayFamily(r.index), r.value, 1e-12) << r.index;
  }
}

TEST(Length, FormatLengthShortAndLong) {
  struct Row {
    Length length;
    bool longNames;
    const char* text;
  } rows[] = {
      {{0.25, LengthUnit::NauticalMiles}, false, "0.25 NM"},
      {{0.25, LengthUnit::NauticalMiles}, true, "0.25 nautical miles"},
      {{3.0, LengthUnit::StatuteMiles}, false, "3 mi"},
      {{1.234, LengthUnit::Kilometers}, true, "1.23 kilometers"},
      {{10.0, LengthUnit::Meters}, false, "10 m"},
      {{10.26, LengthUnit::Feet}, false, "10.3 ft"},
      {{10.0, LengthUnit::Feet}, true, "10 feet"},
      {{1234567.4, LengthUnit::Millimeters}, false, "1,234,567 mm"},
      {{-1234.5, LengthUnit::Yards}, false, "-1,234 yd"},  // floor(x + 0.5)
      {{999.5, LengthUnit::Inches}, true, "1,000 inches"},
      {{6.0, LengthUnit::Fathoms}, false, "6 fm"},
      {{12.0, LengthUnit::Centimeters}, true, "12 centimeters"},
      {{5.0, LengthUnit::Invalid}, false, ""},
      {{5.0, static_cast<LengthUnit>(12)}, false, ""},
  };
  for (const Row& r : rows)
    EXPECT_EQ(FormatLength(r.length, r.longNames), r.text) << r.length.value;
}

TEST(Length, ParseLength) {
  struct Row {
    const char* text;
    int index;
    double value;
    LengthUnit unit;
  } rows[] = {
      {"0.25 nm", kDistanceNauticalMilesAndYards, 0.25, LengthUnit::NauticalMiles},
      {"10 ft", kDistanceNauticalMilesAndYards, 10, LengthUnit::Feet},
      {"  10FT  ", kDistanceNauticalMilesAndYards, 10, LengthUnit::Feet},
      {"6'", kDistanceNauticalMilesAndYards, 6, LengthUnit::Feet},
      {"12\"", kDistanceNauticalMilesAndYards, 12, LengthUnit::Inches},
      {"3 Miles", kDistanceNauticalMilesAndYards, 3, LengthUnit::StatuteMiles},
      {"100 yds", kDistanceNauticalMilesAndYards, 100, LengthUnit::Yards},
      {"2 f", kDistanceNauticalMilesAndYards, 2, LengthUnit::Fathoms},
      {"2 fathoms", kDistanceNauticalMilesAndYards, 2, LengthUnit::Fathoms},
      {"5 m", kDistanceNauticalMilesAndYards, 5, LengthUnit::Meters},
      {"5 meters", kDistanceNauticalMilesAndYards, 5, LengthUnit::Meters},
      {"1.5km", kDistanceNauticalMilesAndYards, 1.5, LengthUnit::Kilometers},
      {"30 cm", kDistanceNauticalMilesAndYards, 30, LengthUnit::Centimeters},
      {"4 mm", kDistanceNauticalMilesAndYards, 4, LengthUnit::Millimeters},
      {"-2.5 inches", kDistanceNauticalMilesAndYards, -2.5, LengthUnit::Inches},
      {".5 nm", kDistanceNauticalMilesAndYards, 0.5, LengthUnit::NauticalMiles},
      {"", kDistanceKilometers, 0, LengthUnit::Kilometers},
      {"0", kDistanceFeet, 0, LengthUnit::Feet},
      {"  ", kDistanceYards, 0, LengthUnit::Yards},
      {"0", kDistanceNauticalMiles, 0, LengthUnit::NauticalMiles},
      {"0", kDistanceStatuteMiles, 0, LengthUnit::StatuteMiles},
  };
  for (const Row& r : rows) {
    const Length l = ParseLength(r.text, r.index);
    EXPECT_EQ(l.unit, r.unit) << "\"" << r.text << "\"";
    EXPECT_DOUBLE_EQ(l.value, r.value) << "\"" << r.text << "\"";
  }
  const char* bad[] = {"10",  "ten ft", "10 furlongs", "10 ft x", "1.2.3 m",
                       "- m", "nm",     "1e5 m",       "0"};
  for (const char* text : bad)
    EXPECT_FALSE(ParseLength(text, kDistanceNauticalMilesAndYards).IsValid()) << text;
}

}  // namespace
}  // namespace tarnwick
