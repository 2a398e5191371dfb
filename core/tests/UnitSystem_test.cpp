#include "core/units/UnitSystem.h"

#include <gtest/gtest.h>

#include "core/Log.h"
#include "core/geo/Geodesy.h"
#include "core/settings/UnitsSettings.h"
#include "core/units/Length.h"
#include "core/units/UnitFormat.h"

namespace tarnwick {
namespace {

// Puts every unit setting back to its default after each test.
class UnitSystemTest : public ::testing::Test {
 protected:
  void TearDown() override {
    for (CSetting* s : AllSettings())
      if (StartsWithIgnoreCase(s->Name(), "Units_")) s->ResetToDefault();
    RefreshUnitSettings();
  }
};

TEST_F(UnitSystemTest, ChangingASettingUpdatesItsIndex) {
  RefreshUnitSettings();
  EXPECT_EQ(UnitIndex(UnitSetting::Distance), kDistanceNauticalMilesAndYards);
  EXPECT_EQ(UnitIndex(UnitSetting::LocationFormat), kLocationDegreesMinutes);
  EXPECT_EQ(UnitIndex(UnitSetting::BearingFormat), kBearingMagnetic);

  ASSERT_TRUE(opt::Units_Distance.Set("statute-miles-and-feet"));
  EXPECT_EQ(UnitIndex(UnitSetting::Distance), kDistanceStatuteMilesAndFeet);
  EXPECT_EQ(FormatDistanceShort(0.4), "2430 ft");
  ASSERT_TRUE(opt::Units_LocationFormat.Set("Degrees"));  // keywords match in any case
  EXPECT_EQ(UnitIndex(UnitSetting::LocationFormat), kLocationDegrees);
  EXPECT_EQ(FormatLatitude(-0.5), "00.5000°S");
  ASSERT_TRUE(opt::Units_BearingFormat.Set("true"));
  EXPECT_EQ(FormatBearing(45.0, LatLon{80, 0}), "045°T");
  ASSERT_TRUE(opt::Units_Distance.Set("kilometers"));
  EXPECT_EQ(ParseLength("").unit, LengthUnit::Kilometers);
}

TEST_F(UnitSystemTest, SailingSettingDrivesTheSailingMode) {
  ASSERT_TRUE(opt::Units_Sailing.Set("great-circle"));
  EXPECT_EQ(SailingMode(), Sailing::GreatCircle);
  const LatLon a{40.7128, -74.006}, b{51.5074, -0.1278};
  EXPECT_EQ(Distance(a, b), GreatCircleDistance(a, b));
  ASSERT_TRUE(opt::Units_Sailing.Set("mercator"));
  EXPECT_EQ(SailingMode(), Sailing::RhumbLine);
  EXPECT_EQ(Distance(a, b), RhumbLineDistance(a, b));
}

TEST_F(UnitSystemTest, UnknownKeywordIsRefusedAndTheUnitStays) {
  ASSERT_TRUE(opt::Units_Distance.Set("kilometers"));
  EXPECT_FALSE(opt::Units_Distance.Set("leagues"));
  EXPECT_EQ(UnitIndex(UnitSetting::Distance), kDistanceKilometers);
}

TEST_F(UnitSystemTest, EnglishAndMetricPresets) {
  struct Expect {
    CSetting& setting;
    const char* english;
    const char* metric;
  } keys[] = {
      {opt::Units_Depth, "fathoms", "meters"},
      {opt::Units_Distance, "nautical-miles", "kilometers"},
      {opt::Units_Height, "feet", "meters"},
      {opt::Units_Speed, "knots", "kph"},
      {opt::Units_WindSpeed, "knots", "m/s"},
      {opt::Units_Temperature, "fahrenheit", "celsius"},
      {opt::Units_AirPressure, "inHg", "mbar"},
      {opt::Units_Fuel, "gallons", "liters"},
  };
  ASSERT_TRUE(ApplyUnitPreset("metric"));
  for (const Expect& k : keys) EXPECT_EQ(k.setting.Text(), k.metric) << k.setting.Name();
  EXPECT_EQ(UnitIndex(UnitSetting::Distance), kDistanceKilometers);
  EXPECT_EQ(UnitIndex(UnitSetting::WindSpeed), 0);
  ASSERT_TRUE(ApplyUnitPreset("English"));
  for (const Expect& k : keys) EXPECT_EQ(k.setting.Text(), k.english) << k.setting.Name();
  EXPECT_EQ(UnitIndex(UnitSetting::Distance), kDistanceNauticalMiles);
  EXPECT_EQ(opt::Units_LocationFormat.Text(), "degrees-and-minutes");  // not part of a preset
  EXPECT_FALSE(ApplyUnitPreset("Imperial"));
}

}  // namespace
}  // namespace tarnwick
