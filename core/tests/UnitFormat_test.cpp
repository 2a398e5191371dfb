#include "core/units/UnitFormat.h"

#include <gtest/gtest.h>

#include <cmath>

#include "core/Clock.h"
#include "core/geo/MagneticVariation.h"
#include "core/units/UnitSystem.h"

namespace tarnwick {
namespace {

TEST(UnitFormat, FormatNumber) {
  struct Row {
    double value;
    int precision;
    const char* text;
  } rows[] = {
      {2.5, 2, "2.5"},
      {3.0, 2, "3"},
      {0.0, 3, "0"},
      {100.0, 0, "100"},
      {100.0, 2, "100"},
      {2.5, -2, "2.50"},
      {-1.2345, 2, "-1.23"},
      {1234.5, 1, "1234.5"},
      {0.004, 2, "0"},
      {-0.5, 0, "-0"},
      {1e20, 2, "100000000000000000000"},
  };
  for (const Row& r : rows)
    EXPECT_EQ(FormatNumber(r.value, r.precision), r.text) << r.value << " " << r.precision;
}

TEST(UnitFormat, FormatLatitudeAndLongitude) {
  struct Row {
    double degrees;
    int format;
    bool longitude;
    const char* text;
  } rows[] = {
      {-0.5, kLocationDegreesMinutes, false, "00°30.000'S"},
      {47.6083333, kLocationDegreesMinutes, false, "47°36.500'N"},
      {47.6083333, kLocationDegreesMinutesSeconds, false, "47°36'30.00\"N"},
      {47.6083333, kLocationDegrees, false, "47.6083°N"},
      {0.0, kLocationDegreesMinutes, false, "00°00.000'N"},
      {-90.0, kLocationDegreesMinutes, false, "90°00.000'S"},
      {5.1, kLocationDegreesMinutes, false, "05°06.000'N"},
      {-5.1, kLocationDegrees, false, "05.1000°S"},
      {12.99999999, kLocationDegreesMinutes, false, "13°00.000'N"},  // no 60.000'
      {12.99999999, kLocationDegreesMinutesSeconds, false, "13°00'00.00\"N"},
      {-122.335, kLocationDegreesMinutes, true, "122°20.100'W"},
      {-122.335, kLocationDegreesMinutesSeconds, true, "122°20'06.00\"W"},
      {-122.335, kLocationDegrees, true, "122.3350°W"},
      {7.25, kLocationDegreesMinutes, true, "007°15.000'E"},
      {7.25, kLocationDegrees, true, "007.2500°E"},
      {180.0, kLocationDegreesMinutes, true, "180°00.000'E"},
      {90.0001, kLocationDegreesMinutes, false, ""},
      {-180.5, kLocationDegreesMinutes, true, ""},
      {NAN, kLocationDegrees, false, ""},
  };
  for (const Row& r : rows) {
    const std::string text =
        r.longitude ? FormatLongitude(r.degrees, r.format) : FormatLatitude(r.degrees, r.format);
    EXPECT_EQ(text, r.text) << r.degrees << " format " << r.format;
  }
}

TEST(UnitFormat, FormatDistanceShortByDistanceUnits) {
  struct Row {
    double nm;
    int index;
    const char* text;
  } rows[] = {
      {0.2, kDistanceNauticalMilesAndYards, "405 yd"},
      {0.3, kDistanceNauticalMilesAndYards, "0.300 nm"},
      {0.24, kDistanceNauticalMilesAndYards, "486 yd"},
      {0.25, kDistanceNauticalMilesAndYards, "0.250 nm"},  // 506 yd
      {0.5, kDistanceKilometers, "926 m"},
      {0.54, kDistanceKilometers, "1.000 km"},
      {2.0, kDistanceKilometers, "3.704 km"},
      {1.0, kDistanceFeet, "6076 ft"},
      {1.0, kDistanceYards, "2025 yd"},
      {1.23456, kDistanceNauticalMiles, "1.235 nm"},
      {0.1645, kDistanceNauticalMilesAndFeet, "999 ft"},
      {0.1646, kDistanceNauticalMilesAndFeet, "0.165 nm"},
      {1.0, kDistanceStatuteMiles, "1.151 mi"},
      {0.4, kDistanceStatuteMilesAndFeet, "2430 ft"},
      {0.5, kDistanceStatuteMilesAndFeet, "0.575 mi"},
      {0.4, kDistanceStatuteMilesAndYards, "810 yd"},
      {0.5, kDistanceStatuteMilesAndYards, "0.575 mi"},
      {-0.1, kDistanceNauticalMilesAndYards, "-202 yd"},  // truncation toward zero
  };
  for (const Row& r : rows)
    EXPECT_EQ(FormatDistanceShort(r.nm, r.index), r.text) << r.nm << " index " << r.index;
}

TEST(UnitFormat, FormatBearingTrueAndMagnetic) {
  CSimulatedClock clock(1000, 1'735'689'600'000);  // 2025-01-01
  CScopedClock scoped(clock);
  const LatLon noVariationNeeded{0, 0};
  struct Row {
    double deg;
    bool decimals;
    const char* text;
  } rows[] = {
      {0.0, false, "000°T"},   {359.6, false, "000°T"},  {359.4, false, "359°T"},
      {45.5, false, "046°T"},  {45.25, true, "045.2°T"}, {7.0, true, "007.0°T"},
      {-10.0, false, "350°T"},
  };
  for (const Row& r : rows)
    EXPECT_EQ(FormatBearing(r.deg, noVariationNeeded, kBearingTrue, r.decimals), r.text) << r.deg;

  // 80 N 0 E has 1.28 degrees east variation on 2025-01-01: magnetic = true - 1.28.
  const LatLon arctic{80, 0};
  EXPECT_EQ(FormatBearing(90.0, arctic, kBearingMagnetic, true), "088.7°M");
  EXPECT_EQ(FormatBearing(1.0, arctic, kBearingMagnetic), "000°M");
  EXPECT_EQ(FormatBearing(0.5, arctic, kBearingMagnetic), "359°M");
  // -80, 240 has 68.78 degrees east.
  EXPECT_EQ(FormatBearing(10.0, LatLon{-80, 240 - 360}, kBearingMagnetic, true), "301.2°M");
}

}  // namespace
}  // namespace tarnwick
