// Position sensor selection: the ranking, automatic selection with ageing
// fixes, manual selection, the fix status texts and the own AIS transponder.

#include <gtest/gtest.h>

#include <cmath>
#include <map>

#include "NavDataTestSupport.h"
#include "instruments/navdata/PositionSelection.h"

namespace tarnwick {
namespace {

using testing::CNavDataFixture;
using testing::TestPort;

std::string Gga(int quality, const char* hdop, const char* lat = "4807.038") {
  return std::string("$GPGGA,123519,") + lat + ",N,01131.000,E," + std::to_string(quality) +
         ",08," + hdop + ",545.4,M,46.9,M,,";
}

PositionCandidate Candidate(int priority, std::optional<int> quality, std::optional<double> hdop) {
  PositionCandidate c;
  c.priority = priority;
  if (quality) {
    c.fix = NavFix{};
    c.fix->quality = *quality;
    c.fix->hdop = hdop;
  }
  return c;
}

TEST(PositionRanking, PriorityThenHdopThenQuality) {
  struct Case {
    const char* name;
    std::vector<PositionCandidate> candidates;
    std::vector<size_t> order;
  };
  const Case cases[] = {
      {"LowerHdopFirst", {Candidate(0, 1, 1.4), Candidate(0, 1, 0.9)}, {1, 0}},
      {"PriorityBeforeHdop", {Candidate(1, 1, 0.5), Candidate(0, 1, 3.0)}, {1, 0}},
      {"HdopZeroCountsAs100", {Candidate(0, 1, 0.0), Candidate(0, 1, 50.0)}, {1, 0}},
      {"NoHdopCountsAs100", {Candidate(0, 2, std::nullopt), Candidate(0, 1, 99.0)}, {1, 0}},
      {"InvalidFixHdopIgnored", {Candidate(0, 0, 0.5), Candidate(0, 1, 2.0)}, {1, 0}},
      {"EqualHdopHigherQualityFirst", {Candidate(0, 1, 1.0), Candidate(0, 2, 1.0)}, {1, 0}},
      {"AllEqualKeepRegistrationOrder",
       {Candidate(0, 1, 1.0), Candidate(0, 1, 1.0), Candidate(0, 1, 1.0)},
       {0, 1, 2}},
      {"NoFixLast",
       {Candidate(0, std::nullopt, std::nullopt), Candidate(0, 0, std::nullopt)},
       {1, 0}},
  };
  for (const Case& c : cases) EXPECT_EQ(RankPositionCandidates(c.candidates), c.order) << c.name;
  EXPECT_EQ(RankingHdop(Candidate(0, 1, 0.0)), kRankingNoHdop);
}

class PositionSelectionTest : public ::testing::Test, public CNavDataFixture {};

TEST_F(PositionSelectionTest, BestHdopIsSelectedUntilItsFixAges) {
  TestPort& a = AddPort("COM3");
  TestPort& b = AddPort("COM4");
  Feed(a, {Gga(1, "1.4", "4807.000")});
  Feed(b, {Gga(1, "0.9", "4807.500")});
  FixState state = store->GetFixState();
  ASSERT_TRUE(state.fix);
  EXPECT_EQ(state.source, "GPS on COM4");
  EXPECT_EQ(state.text, "GPS FIX");
  EXPECT_NEAR(state.fix->position.lat, 48.125, 1e-9);

  clock.Advance(3000);
  Feed(a, {Gga(1, "1.4", "4807.000")});
  clock.Advance(2000);
  EXPECT_EQ(store->GetFixState().source, "GPS on COM4") << "5000 ms old is still current";
  clock.Advance(1);
  state = store->GetFixState();
  EXPECT_EQ(state.source, "GPS on COM3");
  EXPECT_NEAR(state.fix->position.lat, 48.1166667, 1e-6);
  EXPECT_TRUE(store->AutomaticPositionSelection());
}

TEST_F(PositionSelectionTest, ReceiverReportingHdopZeroRanksAs100) {
  TestPort& a = AddPort("COM3");
  TestPort& b = AddPort("COM4");
  Feed(a, {Gga(1, "0.0")});
  Feed(b, {Gga(1, "5.0")});
  EXPECT_EQ(store->GetFixState().source, "GPS on COM4");
}

TEST_F(PositionSelectionTest, NoGpsUntilAFixThenLostGps) {
  EXPECT_EQ(store->GetFixState().text, "NO GPS");
  TestPort& gps = AddPort("COM3");
  Feed(gps, {"$GPGSA,A,1,,,,,,,,,,,,,,,"});
  EXPECT_EQ(store->GetFixState().quality, kFixNoGps) << "no position sentence yet";
  Feed(gps, {Gga(0, "")});
  FixState state = store->GetFixState();
  EXPECT_FALSE(state.fix);
  EXPECT_EQ(state.text, "INVALID");
  clock.Advance(6000);
  EXPECT_EQ(store->GetFixState().text, "NO GPS") << "an invalid fix never counted as a fix";

  Feed(gps, {Gga(1, "1.0")});
  EXPECT_EQ(store->GetFixState().text, "GPS FIX");
  clock.Advance(5001);
  state = store->GetFixState();
  EXPECT_FALSE(state.fix);
  EXPECT_EQ(state.quality, kFixLostGps);
  EXPECT_EQ(state.text, "LOST GPS");
}

TEST_F(PositionSelectionTest, ManualSelectionLosesItsFixWithoutFallingBack) {
  TestPort& a = AddPort("COM3");
  TestPort& b = AddPort("COM4");
  Feed(a, {Gga(1, "0.9")});
  Feed(b, {Gga(1, "1.4")});
  store->SelectPositionSensor(1);
  EXPECT_EQ(opt::PositionSensor.Text(), "1");
  EXPECT_FALSE(store->AutomaticPositionSelection());
  EXPECT_EQ(store->GetFixState().source, "GPS on COM4");

  clock.Advance(3000);
  Feed(a, {Gga(1, "0.9")});
  clock.Advance(2001);
  FixState state = store->GetFixState();
  EXPECT_FALSE(state.fix) << "COM3 still has a fix but is not chosen";
  EXPECT_EQ(state.text, "LOST GPS");
  EXPECT_EQ(state.source, "GPS on COM4");

  store->SelectAutomaticPosition();
  EXPECT_EQ(opt::PositionSensor.Text(), "Auto");
  EXPECT_EQ(store->GetFixState().source, "GPS on COM3");
}

TEST_F(PositionSelectionTest, ManualChoiceMayNameASensorNotYetSeen) {
  opt::PositionSensor.Set("1");
  TestPort& a = AddPort("COM3");
  Feed(a, {Gga(1, "0.9")});
  EXPECT_FALSE(store->GetFix());
  EXPECT_EQ(store->GetFixState().text, "NO GPS");
  TestPort& b = AddPort("COM4");
  Feed(b, {Gga(1, "1.4")});
  EXPECT_EQ(store->GetFixState().source, "GPS on COM4");
}

TEST_F(PositionSelectionTest, MenuListsSensorsWithHdopOrNoFix) {
  TestPort& a = AddPort("COM3");
  TestPort& b = AddPort("COM4");
  Feed(a, {Gga(2, "0.87")});
  Feed(b, {Gga(0, "")});
  store->GetFix();
  const auto entries = store->PositionSensors();
  ASSERT_EQ(entries.size(), 2u);
  EXPECT_EQ(entries[0].label, "GPS on COM3 (HDOP=0.87)");
  EXPECT_TRUE(entries[0].selected);
  EXPECT_EQ(entries[1].label, "GPS on COM4 (No Fix)");
  EXPECT_FALSE(entries[1].selected);
}

// The own transponder's reports, by port.
class CFakeAisOwnShip final : public IAisOwnShipSource {
 public:
  std::optional<AisOwnShipReport> OwnShipReport(const CNavSource& source) const override {
    auto it = reports.find(&source);
    if (it == reports.end()) return std::nullopt;
    return it->second;
  }
  std::map<const CNavSource*, AisOwnShipReport> reports;
};

TEST_F(PositionSelectionTest, OwnAisTransponderStandsInOnlyThroughItsOwnSensor) {
  CFakeAisOwnShip ais;
  store->SetAisOwnShipSource(&ais);
  TestPort& transponder = AddPort("AIS");
  store->CreateSensor(transponder.source, "pos", "AIS");
  store->CreateSensor(transponder.source, "pos-ais", "AIS");
  store->CreateSensor(transponder.source, "hdg-ais", "AIS");
  AisOwnShipReport report;
  report.position = LatLon{50.5, -1.25};
  report.heading = 90;
  report.cog = 92;
  report.sog = 6.5;
  report.tick = clock.TickMs();
  ais.reports[&transponder.source] = report;

  FixState state = store->GetFixState();
  ASSERT_TRUE(state.fix);
  EXPECT_EQ(state.text, "AIS FIX");
  EXPECT_EQ(state.source, "AIS on AIS");
  EXPECT_EQ(state.fix->sourceKind, FixSourceKind::AisOwnShip);
  EXPECT_DOUBLE_EQ(store->GetValue(NavItem::SpeedOverGround)->value, 6.5);
  EXPECT_DOUBLE_EQ(store->GetValue(NavItem::HeadingTrue)->value, 90.0);

  // A receiver on the same port is preferred as soon as it has a fix.
  Feed(transponder, {Gga(1, "2.0")});
  EXPECT_EQ(store->GetFixState().source, "GPS on AIS");

  clock.Advance(5001);
  EXPECT_FALSE(store->GetValue(NavItem::HeadingTrue)) << "heading older than 5000 ms";
  EXPECT_EQ(store->GetFixState().text, "AIS FIX") << "the position stands in for longer";
  store->SetAisOwnShipSource(nullptr);
}

TEST_F(PositionSelectionTest, AisRateOfTurnAveragesHeadingChanges) {
  CFakeAisOwnShip ais;
  store->SetAisOwnShipSource(&ais);
  TestPort& transponder = AddPort("AIS");
  store->CreateSensor(transponder.source, "hdg-ais", "AIS");
  AisOwnShipReport report;
  report.position = LatLon{50.5, -1.25};
  // 2 degrees to starboard every 2 s across north: 60 degrees per minute.
  double heading = 356;
  for (int i = 0; i < 5; ++i) {
    report.heading = std::fmod(heading, 360.0);
    report.tick = clock.TickMs();
    ais.reports[&transponder.source] = report;
    store->GetValue(NavItem::HeadingTrue);
    heading += 2;
    clock.Advance(2000);
  }
  const auto rot = store->GetValue(NavItem::RateOfTurn);
  ASSERT_TRUE(rot);
  EXPECT_NEAR(rot->value, 60.0, 1e-9);
  store->SetAisOwnShipSource(nullptr);
}

}  // namespace
}  // namespace tarnwick
