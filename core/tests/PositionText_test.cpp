#include "core/units/PositionText.h"

#include <gtest/gtest.h>

#include "core/geo/Datum.h"

namespace tarnwick {
namespace {

constexpr double kSeattleLat = 47.0 + 36.5 / 60.0;
constexpr double kSeattleLon = -(122.0 + 20.1 / 60.0);

TEST(PositionText, ParsesPrefixAndSuffixStyles) {
  struct Row {
    const char* text;
    double lat, lon;
  } rows[] = {
      {"47 36.5N 122 20.1W", kSeattleLat, kSeattleLon},
      {"N47 36.5 W122 20.1", kSeattleLat, kSeattleLon},
      {"n47 36.5 w122 20.1", kSeattleLat, kSeattleLon},
      {"  \t47 36.5 N, 122 20.1 W", kSeattleLat, kSeattleLon},
      {"47°36.5'N 122°20.1'W", kSeattleLat, kSeattleLon},
      {"47\xB0"
       "36.5'N 122\xB0"
       "20.1'W",
       kSeattleLat, kSeattleLon},  // Latin-1 degree sign
      {"47o36.5`N 122o20.1`W", kSeattleLat, kSeattleLon},
      {"47-36.5N 122-20.1W", kSeattleLat, kSeattleLon},
      {"47°36'30\"N 122°20'6\"W", kSeattleLat, kSeattleLon},
      {"47 36 30N,122 20 06W", kSeattleLat, kSeattleLon},
      {"47.608333N 122.335W", 47.608333, -122.335},
      {"S33 51.6 E151 12.6", -(33 + 51.6 / 60), 151 + 12.6 / 60},
      {"00°30.000'S 000°00.000'E", -0.5, 0.0},
      {"47 36.5N 0", kSeattleLat, 0.0},
      {"47 36.5N 0 ", kSeattleLat, 0.0},
      {"90N 180W", 90.0, -180.0},
      {"-10 30N 5E", -9.5, 5.0},  // the minutes are added to the signed degrees
  };
  for (const Row& r : rows) {
    const std::optional<LatLon> p = ParseLatLon(r.text);
    ASSERT_TRUE(p.has_value()) << r.text;
    EXPECT_NEAR(p->lat, r.lat, 1e-12) << r.text;
    EXPECT_NEAR(p->lon, r.lon, 1e-12) << r.text;
  }
}

TEST(PositionText, RejectsWhatIsNotAPosition) {
  const char* bad[] = {
      "",
      "   ",
      "91N 0E",
      "47N 181E",
      "47 36.5 122 20.1",   // no hemisphere letters
      "47 36.5N 122 20.1",  // longitude without a letter and not 0
      "47 36.5N 122 20.1X",
      "N47 36.5 122 20.1",  // prefix style needs E or W
      "N47 36.5 N122 20.1",
      "47 36.5E 122 20.1W",  // latitude with E
      "N",
      "47N",
      "47N 12E ED50",  // an unknown datum name
      "47N 12E garbage",
      "hello",
  };
  for (const char* text : bad) EXPECT_FALSE(ParseLatLon(text).has_value()) << text;
}

TEST(PositionText, DatumSuffixShiftsToWgs84) {
  const std::optional<LatLon> plain = ParseLatLon("47 36.5N 122 20.1W");
  ASSERT_TRUE(plain.has_value());
  struct Row {
    const char* text;
    const CDatum& datum;
  } rows[] = {
      {"47 36.5N 122 20.1W NAD27", Nad27Datum()}, {"47 36.5N 122 20.1W, nad-27", Nad27Datum()},
      {"N47 36.5 W122 20.1 WGS72", Wgs72Datum()}, {"47 36.5N 122 20.1W WGS 84", Wgs84Datum()},
      {"47 36.5N 122 20.1W NAD83", Wgs84Datum()},
  };
  for (const Row& r : rows) {
    const std::optional<LatLon> p = ParseLatLon(r.text);
    ASSERT_TRUE(p.has_value()) << r.text;
    const LatLon expected = Wgs84Datum().ToDatum(r.datum, *plain);
    EXPECT_DOUBLE_EQ(p->lat, expected.lat) << r.text;
    EXPECT_DOUBLE_EQ(p->lon, expected.lon) << r.text;
  }
  // NAD 27 near Seattle is about 0.0012 degrees of longitude west of WGS 84 (PROJ: -122.336228).
  const std::optional<LatLon> nad = ParseLatLon("47 36.5N 122 20.1W NAD27");
  ASSERT_TRUE(nad.has_value());
  EXPECT_NEAR(nad->lon, -122.336228092, 1e-5);
}

TEST(PositionText, ReadAngleStopsAtHemisphereLettersAndAdvances) {
  struct Row {
    const char* text;
    double degrees;
    const char* rest;
  } rows[] = {
      {"47 36.5N", 47.6083333333333, "N"},
      {"47 N", 47.0, " N"},
      {"47°36'30\" x", 47.6083333333333, " x"},
      {"-12.5", -12.5, ""},
      {"12 30 W", 12.5, " W"},
      {"12.", 12.0, ""},
  };
  for (const Row& r : rows) {
    std::string_view s = r.text;
    const std::optional<double> a = ReadAngle(s);
    ASSERT_TRUE(a.has_value()) << r.text;
    EXPECT_NEAR(*a, r.degrees, 1e-12) << r.text;
    EXPECT_EQ(s, r.rest) << r.text;
  }
  for (const char* text : {"", "N47", ".", "-", "°"}) {
    std::string_view s = text;
    EXPECT_FALSE(ReadAngle(s).has_value()) << text;
    EXPECT_EQ(s, text);
  }
}

}  // namespace
}  // namespace tarnwick
