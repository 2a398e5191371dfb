// The navigation data store: sensor registry, data items by kind, true wind
// and the own-ship snapshot.

#include <gtest/gtest.h>

#include <cmath>
#include <thread>

#include "NavDataTestSupport.h"
#include "core/Log.h"
#include "instruments/navdata/NavData.h"
#include "instruments/navdata/TrueWind.h"

namespace tarnwick {
namespace {

using testing::CNavDataFixture;
using testing::TestPort;

class NavDataTest : public ::testing::Test, public CNavDataFixture {};

TEST_F(NavDataTest, DecoderRegistersOneSensorPerKindAndPort) {
  TestPort& gps = AddPort("COM3");
  TestPort& instruments = AddPort("Network 10110");
  Feed(gps, {"$GPRMC,123519,A,4807.038,N,01131.000,E,022.4,084.4,230394,003.1,W",
             "$GPGGA,123519,4807.038,N,01131.000,E,1,08,0.9,545.4,M,46.9,M,,"});
  Feed(instruments,
       {"$HCHDG,100.0,,,5.0,E", "$SDDPT,5.0,0.5", "$VWVHW,,T,,M,6.5,N,,K", "$IIXDR,C,19.5,C,AIR"});
  EXPECT_EQ(store->SensorNames(),
            (std::vector<std::string>{
                "GPS on COM3", "Heading Sensor on Network 10110", "Depth Sounder on Network 10110",
                "Speed Sensor on Network 10110", "Transducers on Network 10110"}));
  EXPECT_EQ(gps.source.Sensor(SensorKind::Pos)->Kind(), "pos");
}

TEST_F(NavDataTest, UnknownKindIsRefusedWithItsLine) {
  TestPort& port = AddPort("COM1");
  CLogCapture log;
  EXPECT_EQ(store->CreateSensor(port.source, "radar", "COM1"), nullptr);
  ASSERT_EQ(log.Lines().size(), 1u);
  EXPECT_NE(log.Lines()[0].find("CreateSensor: Unknown sensor type: radar"), std::string::npos);
  EXPECT_TRUE(store->SensorNames().empty());
}

TEST_F(NavDataTest, AskingTwiceForAKindGivesTheSameSensor) {
  TestPort& port = AddPort("COM1");
  CNavSensor* first = store->CreateSensor(port.source, "dpt", "COM1");
  EXPECT_EQ(store->CreateSensor(port.source, "dpt", "COM1"), first);
  EXPECT_EQ(store->SensorNames().size(), 1u);
}

TEST_F(NavDataTest, DepthComesFromTheFirstSounderThatAnswers) {
  TestPort& a = AddPort("A");
  TestPort& b = AddPort("B");
  Feed(a, {"$SDDPT,5.0,0.0"});
  Feed(b, {"$SDDPT,7.0,0.0"});
  EXPECT_EQ(store->GetValue(NavItem::Depth)->value, 5.0);
  EXPECT_EQ(store->SelectedSensorName(SelectedKind::Depth), "Depth Sounder on A");
  clock.Advance(3000);
  Feed(b, {"$SDDPT,7.0,0.0"});
  clock.Advance(2001);  // A is stale, B is not
  EXPECT_EQ(store->GetValue(NavItem::Depth)->value, 7.0);
  EXPECT_EQ(store->SelectedSensorName(SelectedKind::Depth), "Depth Sounder on B");
  clock.Advance(5000);
  EXPECT_FALSE(store->GetValue(NavItem::Depth));
  EXPECT_EQ(store->SelectedSensorName(SelectedKind::Depth), "");
}

TEST_F(NavDataTest, ManualDepthSensorIsAskedAlone) {
  TestPort& a = AddPort("A");
  TestPort& b = AddPort("B");
  Feed(a, {"$SDDPT,5.0,0.0"});
  Feed(b, {"$SDDPT,7.0,0.0"});
  store->SelectSensor(SelectedKind::Depth, 1);
  EXPECT_EQ(opt::DepthSensor.Text(), "1");
  EXPECT_EQ(store->GetValue(NavItem::Depth)->value, 7.0);
  clock.Advance(3000);
  Feed(a, {"$SDDPT,5.0,0.0"});
  clock.Advance(2001);
  EXPECT_FALSE(store->GetValue(NavItem::Depth)) << "B is stale and A is not asked";
  store->SelectSensor(SelectedKind::Depth, std::nullopt);
  EXPECT_EQ(store->GetValue(NavItem::Depth)->value, 5.0);
}

TEST_F(NavDataTest, HeadingFromHdgWithVariation) {
  TestPort& compass = AddPort("COM2");
  Feed(compass, {"$HCHDG,100.0,,,5.0,E"});
  EXPECT_DOUBLE_EQ(store->GetValue(NavItem::HeadingTrue)->value, 105.0);
  EXPECT_DOUBLE_EQ(store->GetValue(NavItem::HeadingMagnetic)->value, 100.0);
  opt::Nav_UseCompass.SetBool(false);
  EXPECT_FALSE(store->GetValue(NavItem::HeadingTrue));
}

TEST_F(NavDataTest, HeadingCorrectionIsAppliedByTheDecoder) {
  // The port's setting corrects from its first heading on.
  TestPort& deviated = AddPort("COM5");
  deviated.port.SetHeadingCorrection(3.0);
  Feed(deviated, {"$HEHDT,359.0,T"});
  EXPECT_DOUBLE_EQ(store->GetValue(NavItem::HeadingTrue)->value, 2.0);
  clock.Advance(6000);

  TestPort& compass = AddPort("COM2");
  Feed(compass, {"$HEHDT,200.0,T"});
  ASSERT_TRUE(store->SetHeadingCorrection("COM2", -2.5));
  EXPECT_FALSE(store->SetHeadingCorrection("COM9", 1.0));
  Feed(compass, {"$HEHDT,200.0,T"});
  EXPECT_DOUBLE_EQ(store->GetValue(NavItem::HeadingTrue)->value, 197.5);
}

TEST_F(NavDataTest, ADatumOtherThanWgs84OfThePositionSourceIsPublished) {
  TestPort& gps = AddPort("COM3");
  const std::string rmc = "$GPRMC,123519,A,4807.038,N,01131.000,E,022.4,084.4,230394,003.1,W";
  const std::pair<const char*, std::optional<std::string>> cases[] = {
      {"$GPDTM,W72,,0.0,N,0.0,E,0.0,W84", "W72"},
      {"$GPDTM,W84,,0.0,N,0.0,E,0.0,W84", std::nullopt},
  };
  for (const auto& [dtm, published] : cases) {
    Feed(gps, {rmc, dtm});
    store->UpdateNavInfo();
    EXPECT_EQ(store->Snapshot()->fix.localDatum, published) << dtm;
  }
}

TEST_F(NavDataTest, PositionItemsComeOnlyFromTheSelectedPositionSensor) {
  TestPort& gps = AddPort("COM3");
  TestPort& other = AddPort("COM4");
  Feed(other, {"$GPVTG,054.7,T,034.4,M,005.5,N,010.2,K"});
  EXPECT_FALSE(store->GetValue(NavItem::SpeedOverGround)) << "no position sensor selected yet";
  Feed(gps, {"$GPRMC,123519,A,4807.038,N,01131.000,E,022.4,084.4,230394,003.1,W"});
  ASSERT_TRUE(store->GetFix());
  EXPECT_DOUBLE_EQ(store->GetValue(NavItem::SpeedOverGround)->value, 22.4);
  EXPECT_DOUBLE_EQ(store->GetValue(5)->value, 22.4) << "by integer id";
  EXPECT_FALSE(store->GetValue(11)) << "ids outside the table";
}

struct TrueWindCase {
  double speed, angle, boat;
  double trueSpeed, trueAngle;
};

TEST(TrueWind, FromApparentWindAndBoatSpeed) {
  const TrueWindCase cases[] = {
      {10, 90, 0, 10, 90},                   // the boat at rest
      {10, 0, 5, 5, 0},                      // head wind, half of it made by the boat
      {5, 0, 5, 0, 0},                       // all of it made by the boat
      {10, 90, 10, std::sqrt(200.0), 135},   // beam wind while making way
      {10, 270, 10, std::sqrt(200.0), 225},  // the same from port
      {8, 180, 4, 12, 180},                  // following wind
  };
  for (const TrueWindCase& c : cases) {
    const TrueWind w = TrueWindFromApparent(c.speed, c.angle, c.boat);
    EXPECT_NEAR(w.speed, c.trueSpeed, 1e-9) << c.speed << "@" << c.angle << " boat " << c.boat;
    EXPECT_NEAR(w.angle, c.trueAngle, 1e-9) << c.speed << "@" << c.angle << " boat " << c.boat;
  }
}

TEST_F(NavDataTest, TrueWindIsDerivedWhenNoInstrumentGivesIt) {
  TestPort& wind = AddPort("Wind");
  TestPort& log = AddPort("Log");
  Feed(wind, {"$WIMWV,90,R,10,N,A"});
  ASSERT_TRUE(store->GetValue(NavItem::ApparentWindSpeed));
  EXPECT_FALSE(store->GetValue(NavItem::TrueWindSpeed)) << "no boat speed";
  Feed(log, {"$VWVHW,,T,,M,0.0,N,,K"});
  EXPECT_NEAR(store->GetValue(NavItem::TrueWindSpeed)->value, 10.0, 1e-9);
  EXPECT_NEAR(store->GetValue(NavItem::TrueWindDirection)->value, 90.0, 1e-9);
  Feed(wind, {"$WIMWV,45,T,12,N,A"});
  EXPECT_DOUBLE_EQ(store->GetValue(NavItem::TrueWindSpeed)->value, 12.0) << "measured wins";
}

// Values no sensor kind owns count from a port that sends nothing else.
TEST_F(NavDataTest, PortsWithOnlyOtherItemsAreAsked) {
  const struct {
    const char* sentence;
    NavItem item;
    double value;
  } rows[] = {
      {"$WIMWV,338,R,13.41,N,A", NavItem::ApparentWindAngle, 338},
      {"$YXMTW,12.5,C", NavItem::WaterTemperature, 12.5},
      {"$AGRSA,-3.5,A,,V", NavItem::RudderStarboard, -3.5},
      {"$WIMDA,29.9,I,1.0125,B,18.5,C,,,,,,,,,,,,,,", NavItem::Pressure, 1012.5},
  };
  for (const auto& row : rows) {
    CNavData store;
    TestPort& port = AddPort(row.sentence);
    NmeaDecoderHooks hooks;
    hooks.sensors = &store;
    DecodeNMEA(port.source, ReceiveTime{clock.TickMs(), clock.UtcMs()}, row.sentence, &port.port,
               hooks);
    const std::optional<NavReading> reading = store.GetValue(row.item);
    ASSERT_TRUE(reading) << row.sentence;
    EXPECT_DOUBLE_EQ(reading->value, row.value) << row.sentence;
    store.ForgetSource(port.source);
    EXPECT_FALSE(store.GetValue(row.item)) << row.sentence << ": gone with its port";
  }
}

TEST_F(NavDataTest, SnapshotIsPublishedOncePerTickWithAges) {
  TestPort& gps = AddPort("COM3");
  EXPECT_EQ(store->Snapshot()->sequence, 0u);
  EXPECT_EQ(store->Snapshot()->fix.text, "") << "before the first tick";
  store->UpdateNavInfo();
  auto first = store->Snapshot();
  EXPECT_EQ(first->sequence, 1u);
  EXPECT_EQ(first->fix.quality, kFixNoGps);
  EXPECT_EQ(first->fix.text, "NO GPS");
  EXPECT_FALSE(first->fix.position);

  Feed(gps, {"$GPGGA,123519,4807.038,N,01131.000,E,2,08,0.9,545.4,M,46.9,M,,",
             "$GPVTG,054.7,T,034.4,M,005.5,N,010.2,K", "$SDDPT,5.0,0.5"});
  clock.Advance(1500);
  store->UpdateNavInfo();
  auto second = store->Snapshot();
  EXPECT_EQ(second->sequence, 2u);
  EXPECT_EQ(first->fix.text, "NO GPS") << "a published snapshot never changes";
  EXPECT_EQ(second->fix.quality, kFixDgps);
  EXPECT_EQ(second->fix.text, "DGPS FIX");
  EXPECT_EQ(second->fix.source, "GPS on COM3");
  ASSERT_TRUE(second->fix.position);
  EXPECT_NEAR(second->fix.position->lat, 48.1173, 1e-9);
  EXPECT_EQ(second->fix.ageMs, 1500u);
  EXPECT_EQ(second->fix.hdop, 0.9);
  ASSERT_TRUE(second->sog);
  EXPECT_DOUBLE_EQ(second->sog->value, 5.5);
  EXPECT_EQ(second->sog->ageMs, 1500u);
  EXPECT_DOUBLE_EQ(second->cog->value, 54.7);
  EXPECT_DOUBLE_EQ(second->depth->value, 5.5);
  EXPECT_FALSE(second->headingTrue);
  EXPECT_EQ(second->tickMs, clock.TickMs());
  EXPECT_EQ(second->utcMs, clock.UtcMs());
}

TEST_F(NavDataTest, SnapshotReadersNeverWaitForTheStore) {
  TestPort& gps = AddPort("COM3");
  std::atomic<bool> stop{false};
  std::thread reader([&] {
    uint64_t last = 0;
    while (!stop.load()) {
      auto s = store->Snapshot();
      EXPECT_GE(s->sequence, last);
      last = s->sequence;
    }
  });
  for (int i = 0; i < 200; ++i) {
    Feed(gps, {"$GPRMC,123519,A,4807.038,N,01131.000,E,022.4,084.4,230394,003.1,W"});
    store->UpdateNavInfo();
    clock.Advance(100);
  }
  stop = true;
  reader.join();
  EXPECT_EQ(store->Snapshot()->sequence, 200u);
}

TEST_F(NavDataTest, ForgettingAPortRemovesItsSensors) {
  TestPort& gps = AddPort("COM3");
  Feed(gps, {"$GPRMC,123519,A,4807.038,N,01131.000,E,022.4,084.4,230394,003.1,W"});
  ASSERT_TRUE(store->GetFix());
  store->ForgetSource(gps.source);
  EXPECT_TRUE(store->SensorNames().empty());
  EXPECT_FALSE(store->GetFix());
  EXPECT_FALSE(store->GetValue(NavItem::SpeedOverGround));
}

TEST_F(NavDataTest, SelectionsAreReadFromTheSettings) {
  opt::HeadingSensor.Set("1");
  TestPort& a = AddPort("A");
  TestPort& b = AddPort("B");
  Feed(a, {"$HEHDT,10.0,T"});
  Feed(b, {"$HEHDT,20.0,T"});
  EXPECT_DOUBLE_EQ(store->GetValue(NavItem::HeadingTrue)->value, 20.0);
  opt::HeadingSensor.Set("Auto");
  EXPECT_DOUBLE_EQ(store->GetValue(NavItem::HeadingTrue)->value, 10.0);
  CLogCapture log;
  opt::HeadingSensor.Set("compass");
  EXPECT_DOUBLE_EQ(store->GetValue(NavItem::HeadingTrue)->value, 10.0);
  EXPECT_EQ(log.Lines().size(), 1u) << "an unreadable choice is reported once";
}

}  // namespace
}  // namespace tarnwick
