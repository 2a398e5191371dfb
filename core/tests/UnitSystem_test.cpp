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

TEST_F(UnitSystemTest, ChoiceListsInOrderWithLabels) {
  struct Row {
    CSetting& setting;
    size_t count;
    const char* firstKeyword;
    const char* lastLabel;
    const char* defaultText;
  } rows[] = {
      {opt::Units_Depth, 4, "meters", "Fathoms and Feet", "fathoms"},
      {opt::Units_Distance, 9, "kilometers", "Statute Miles and Yards", "nautical-miles-and-yards"},
      {opt::Units_Height, 2, "meters", "Feet", "feet"},
      {opt::Units_Speed, 4, "m/s", "Miles per Hour", "knots"},
      {opt::Units_WindSpeed, 4, "m/s", "Miles per Hour", "knots"},
      {opt::Units_Temperature, 2, "celsius", "Fahrenheit", "fahrenheit"},
      {opt::Units_AirPressure, 2, "mbar", "Inches of mercury", "inHg"},
      {opt::Units_Fuel, 2, "liters", "Gallons", "gallons"},
      {opt::Units_LocationFormat, 3, "degrees-minutes-and-seconds", "Degrees",
       "degrees-and-minutes"},
      {opt::Units_TimeFormat, 2, "twentyfour-hour", "12-hour (AM/PM)", "twentyfour-hour"},
      {opt::Units_BearingFormat, 2, "true", "Magnetic", "magnetic"},
      {opt::Units_Sailing, 2, "mercator", "Great Circle", "mercator"},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.setting.Name());
    const auto* choices = dynamic_cast<const CChoiceDescriptor*>(r.setting.Descriptor());
    ASSERT_NE(choices, nullptr);
    ASSERT_EQ(choices->Options().size(), r.count);
    EXPECT_EQ(choices->Options().front().keyword, r.firstKeyword);
    EXPECT_EQ(choices->Options().back().label, r.lastLabel);
    EXPECT_STREQ(r.setting.DefaultText(), r.defaultText);
    EXPECT_NE(choices->Find(r.defaultText), nullptr);
  }
  EXPECT_EQ(FindSetting("units_height"), &opt::Units_Height);
}

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

TEST_F(UnitSystemTest, UnknownKeywordFallsBackToTheDefaultAndIsLogged) {
  CLogCapture capture;
  ASSERT_TRUE(opt::Units_Distance.Set("leagues"));
  EXPECT_EQ(UnitIndex(UnitSetting::Distance), kDistanceNauticalMilesAndYards);
  ASSERT_FALSE(capture.Lines().empty());
  EXPECT_NE(capture.Lines().back().find("leagues"), std::string::npos);
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
