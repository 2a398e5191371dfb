// The JSON forms and texts of the live data: unit-dependent value texts,
// the own-ship snapshot with and without a fix, AIS targets, notifications,
// the colour mode and the route monitor while idle and navigating.

#include "server/LiveJson.h"

#include <gtest/gtest.h>

#include "core/SettingsRegistry.h"
#include "core/settings/UnitsSettings.h"
#include "core/units/UnitSystem.h"
#include "navobjects/model/Mark.h"
#include "navobjects/model/Route.h"
#include "server/ValueText.h"

namespace tarnwick {
namespace {

using nlohmann::json;

class LiveJsonTest : public ::testing::Test {
 protected:
  void SetUp() override {
    CSettingsRegistry::Instance().ResetState();
    for (CSetting* s : AllSettings()) s->ResetToDefault();
    RefreshUnitSettings();
  }
  void TearDown() override { SetUp(); }
};

TEST_F(LiveJsonTest, ValueTextsByUnitIndex) {
  struct Row {
    std::string actual;
    const char* expected;
  };
  const Row rows[] = {
      {FormatSpeed(10, 0), "5.1 m/s"},
      {FormatSpeed(10, 1), "18.5 km/h"},
      {FormatSpeed(10, 2), "10.0 kn"},
      {FormatSpeed(10, 3), "11.5 mph"},
      {FormatSpeed(10, 99), "10.0 kn"},
      {FormatDepth(10, 0), "10.0 m"},
      {FormatDepth(10, 1), "32.8 ft"},
      {FormatDepth(10, 2), "5.5 fm"},
      {FormatDepth(10, 3), "5 fm 3 ft"},
      {FormatDepth(1.9, 3), "1 fm 0 ft"},
      {FormatTemperature(20, 0), "20.0 °C"},
      {FormatTemperature(20, 1), "68.0 °F"},
      {FormatAngle(0), "000°"},
      {FormatAngle(359.6), "000°"},
      {FormatAngle(-10), "350°"},
      {FormatAngle(45.4), "045°"},
      {FormatRelativeAngle(-30), "30° port"},
      {FormatRelativeAngle(330), "30° port"},
      {FormatRelativeAngle(30), "30° stbd"},
      {FormatRelativeAngle(180), "180°"},
      {FormatRelativeAngle(0), "0°"},
      {FormatRateOfTurn(-12.4), "-12°/min"},
      {FormatDuration(-1), ""},
      {FormatDuration(45), "45 s"},
      {FormatDuration(719), "11 min"},
      {FormatDuration(7500), "2 h 05 min"},
      {FormatDuration(90000), "1 d 01 h"},
      {FormatClockTime(0, 0, 0), "00:00"},
      {FormatClockTime(0, 0, 1), "12:00 AM"},
      {FormatClockTime(13 * 3600000 + 5 * 60000, 0, 1), "1:05 PM"},
      {FormatClockTime(23 * 3600000, 120, 0), "01:00"},
      {FormatClockTime(30 * 60000, -60, 0), "23:30"},
  };
  for (const Row& row : rows) EXPECT_EQ(row.actual, row.expected);
}

TEST_F(LiveJsonTest, OwnShipWithFixFollowsUnitSettings) {
  OwnShipSnapshot s;
  s.sequence = 9;
  s.utcMs = 1'700'000'000'000;
  s.fix.quality = kFixGps;
  s.fix.text = "GPS FIX";
  s.fix.source = "GPS on udp://:10110";
  s.fix.position = LatLon{37.5, -122.25};
  s.fix.hdop = 1.2;
  s.fix.ageMs = 300;
  s.sog = OwnShipValue{6.0, 200};
  s.depth = OwnShipValue{10.0, 7000};
  s.wind.apparentAngle = OwnShipValue{-45, 100};
  SensorMenu menu;
  menu.autoSelect = false;
  menu.positions.push_back(
      {"GPS on udp://:10110", 1.2, true, true, "GPS on udp://:10110 (HDOP=1.20)"});
  menu.positions.push_back({"GPS 2", std::nullopt, false, false, "GPS 2 (No Fix)"});

  json out = OwnShipJson(s, menu);
  EXPECT_EQ(out["seq"], 9);
  EXPECT_EQ(out["fix"]["text"], "GPS FIX");
  EXPECT_EQ(out["fix"]["position"], "37°30.000'N 122°15.000'W");
  EXPECT_EQ(out["fix"]["hdop"], 1.2);
  EXPECT_EQ(out["sog"], json::parse(R"({"v":6.0,"text":"6.0 kn","age":200})"));
  EXPECT_EQ(out["depth"]["text"], "5.5 fm");  // the default depth unit is fathoms
  EXPECT_EQ(out["depth"]["age"], 7000);
  EXPECT_EQ(out["wind"]["apparentAngle"]["text"], "45° port");
  EXPECT_FALSE(out.contains("cog")) << "absent values stay absent";
  EXPECT_FALSE(out["wind"].contains("trueSpeed"));
  const json& sensors = out["sensors"];
  EXPECT_EQ(sensors["autoSelect"], false);
  EXPECT_EQ(sensors["selected"], "0");
  ASSERT_EQ(sensors["pos"].size(), 3u);
  EXPECT_EQ(sensors["pos"][1]["label"], "GPS 2 (No Fix)");
  EXPECT_EQ(sensors["pos"][2],
            json::parse(R"({"id":"dr","label":"Dead Reckoning","selected":false})"));

  ASSERT_TRUE(opt::Units_Depth.Set("meters"));
  ASSERT_TRUE(opt::Units_LocationFormat.Set("degrees"));
  RefreshUnitSettings();
  out = OwnShipJson(s, menu);
  EXPECT_EQ(out["depth"]["text"], "10.0 m");
  EXPECT_EQ(out["fix"]["position"], "37.5000°N 122.2500°W");
}

TEST_F(LiveJsonTest, OwnShipWithoutFixHasNoPosition) {
  struct Row {
    int quality;
    const char* text;
  };
  for (const Row& row : {Row{kFixLostGps, "LOST GPS"}, Row{kFixNoGps, "NO GPS"}}) {
    OwnShipSnapshot s;
    s.fix.quality = row.quality;
    s.fix.text = row.text;
    const json out = OwnShipJson(s, SensorMenu{});
    EXPECT_EQ(out["fix"]["quality"], row.quality);
    EXPECT_EQ(out["fix"]["text"], row.text);
    for (const char* member : {"lat", "lon", "position", "hdop"})
      EXPECT_FALSE(out["fix"].contains(member)) << row.text << " " << member;
    EXPECT_EQ(out["sensors"]["selected"], "auto");
  }
}

TEST_F(LiveJsonTest, AisTargetSummary) {
  CAisTarget t;
  t.mmsi = 244123456;
  t.transponderClass = 'B';
  t.name = "PLAKA QUEEN@@@ ";
  t.lat = 36.7;
  t.lon = 24.4;
  t.cogDegrees = 90;
  t.sogKnots = 10;
  t.heading = 92;
  t.range = 1.5;
  t.bearing = 45;
  t.cpa = 0.1;
  t.tcpa = 600;
  t.ownAtCpa = LatLon{36.71, 24.42};
  t.state = AisTargetState::Dangerous;
  t.tick = 1000;
  t.received = {1000, 1'717'243'200'500};
  t.shipType = 36;
  t.navStatus = 0;
  json out = AisTargetLiveJson(t);
  EXPECT_EQ(out["mmsi"], 244123456);
  EXPECT_EQ(out["class"], "B");
  EXPECT_EQ(out["name"], "PLAKA QUEEN") << "AIS padding removed";
  EXPECT_EQ(out["tcpaMin"], 10.0);
  EXPECT_EQ(out["tcpa"], "10 min");
  EXPECT_EQ(out["state"], 2);
  EXPECT_EQ(out["stateText"], "Dangerous");
  EXPECT_EQ(out["dangerous"], true);
  EXPECT_EQ(out["lost"], false);
  EXPECT_EQ(out["reportMs"], 1000) << "the report's time, not its age";
  EXPECT_FALSE(out["shipType"].get<std::string>().empty());
  ASSERT_TRUE(out.contains("cpaPosition"));
  EXPECT_NEAR(out["cpaPosition"]["lon"].get<double>(),
              24.4 + 10.0 / 6 / 60 / std::cos(36.7 * M_PI / 180), 1e-3);
  EXPECT_NEAR(out["cpaPosition"]["lat"].get<double>(), 36.7, 1e-4);

  CAisTarget bare;
  bare.mmsi = 1;
  bare.kind = AisTargetKind::AidToNavigation;
  bare.state = AisTargetState::Lost;
  out = AisTargetLiveJson(bare);
  EXPECT_EQ(out["class"], "AtoN");
  EXPECT_EQ(out["lost"], true);
  for (const char* member :
       {"name", "lat", "lon", "cog", "sog", "heading", "cpa", "range", "shipType"})
    EXPECT_FALSE(out.contains(member)) << member;

  const json detail = AisTargetDetailJson(t, {{5, "SECURITE"}});
  EXPECT_EQ(detail["texts"], json::parse(R"([{"utcMs":5,"text":"SECURITE"}])"));
  EXPECT_EQ(detail["mmsi"], 244123456);
  EXPECT_EQ(detail["reportUtcMs"], 1'717'243'200'500);
  EXPECT_TRUE(detail.contains("dimensions"));
}

TEST_F(LiveJsonTest, NotificationsAndColourModes) {
  struct Row {
    NotificationKind kind;
    const char* json;
  };
  const Row rows[] = {
      {NotificationKind::Message, R"({"id":3,"kind":"info","text":"t","spoken":false,"utcMs":7})"},
      {NotificationKind::Warning,
       R"({"id":3,"kind":"warning","text":"t","spoken":false,"utcMs":7})"},
      {NotificationKind::Error, R"({"id":3,"kind":"error","text":"t","spoken":false,"utcMs":7})"},
      {NotificationKind::Spoken, R"({"id":3,"kind":"info","text":"t","spoken":true,"utcMs":7})"},
      {NotificationKind::MessageBar,
       R"({"id":3,"kind":"warning","text":"t","spoken":false,"utcMs":7,"bar":true})"},
  };
  for (const Row& row : rows) EXPECT_EQ(NoteJson({3, 7, row.kind, "t"}), json::parse(row.json));

  const std::pair<const char*, const char*> modes[] = {
      {"", "day"}, {"Day", "day"}, {"NIGHT", "night"}, {"dusk", "dusk"}, {"bright", "day"}};
  for (const auto& [text, mode] : modes) EXPECT_EQ(ColorModeName(text), mode) << text;
  EXPECT_EQ(JsonText(json{{"t", std::string("bad \xff byte")}}),
            "{\"t\":\"bad \xEF\xBF\xBD byte\"}");
}

class SilentAnnouncer final : public INavAnnouncer {
 public:
  void Speak(const std::string&) override {}
  void ShowMessageBar(const std::string&) override {}
  void Sound(NavSound) override {}
};

TEST_F(LiveJsonTest, RouteIdleAndNavigating) {
  CNavController navigation(std::make_shared<SilentAnnouncer>());
  EXPECT_TRUE(RouteJson(navigation, 0).is_null());

  auto route = std::make_shared<CRoute>();
  route->name = "Harbour run";
  for (const LatLon& p : {LatLon{36.0, 24.0}, LatLon{36.1, 24.0}, LatLon{36.2, 24.1}}) {
    auto mark = std::make_shared<CMark>();
    mark->position = p;
    route->InsertMarkAt(route->Marks().size(), mark);
  }
  ASSERT_EQ(navigation.Activate(route), ActivateResult::Activated);
  OwnShipInput ship;
  ship.position = LatLon{35.99, 24.0};  // the first position becomes the leg's origin
  ship.fixValid = true;
  ship.cogDegrees = 45;
  ship.sogKnots = 6;
  navigation.Update(ship);
  ship.position = LatLon{35.995, 24.01};
  navigation.Update(ship);
  const json out = RouteJson(navigation, 0);
  EXPECT_EQ(out["routeName"], "Harbour run");
  EXPECT_EQ(out["legs"].size(), 3u);
  EXPECT_EQ(out["canPrevious"], false);
  EXPECT_TRUE(out.contains("dtw"));
  EXPECT_GT(out["dtw"]["v"].get<double>(), 0);
  EXPECT_EQ(out["steer"], "L") << "own ship east of a northbound leg steers left";
}

}  // namespace
}  // namespace tarnwick
