// The simulator: its motion, its own RMC sentence and its place in the store.

#include <gtest/gtest.h>

#include "NavDataTestSupport.h"
#include "core/geo/Geodesy.h"
#include "instruments/navdata/Simulator.h"
#include "instruments/nmea/DecodeNmea.h"

namespace tarnwick {
namespace {

using testing::CNavDataFixture;
using testing::TestPort;

constexpr uint64_t kHour = 3'600'000;
// 2026-01-01T12:34:56Z
constexpr int64_t kUtc = 1'767'270'896'000;

TEST(SimulatorSentence, RmcInTheProgramsFormat) {
  struct Case {
    LatLon position;
    double sog, cog;
    const char* expected;
  };
  const Case cases[] = {
      {{48.1173, 11.516666667},
       5.5,
       84.4,
       "$GPRMC,123456,A,4807.0380,N,01131.0000,E,5.50,84.4,010126,,"},
      {{-33.5, -70.25}, 0.0, 0.0, "$GPRMC,123456,A,3330.0000,S,07015.0000,W,0.00,0.0,010126,,"},
  };
  for (const Case& c : cases) {
    const std::string sentence = FormatSimulatorRmc(c.position, c.sog, c.cog, kUtc);
    EXPECT_EQ(sentence.substr(0, sentence.find('*')), c.expected);
    EXPECT_EQ(sentence.substr(sentence.size() - 2), "\r\n");
  }
}

TEST(SimulatorSentence, DecodesBackToTheSimulatedState) {
  const LatLon position{50.123456, -1.654321};
  CNavSource source;
  DecodeNMEA(source, ReceiveTime{1000, 0}, FormatSimulatorRmc(position, 7.25, 123.4, kUtc), nullptr,
             {});
  const NavSourceData& d = source.Data();
  EXPECT_EQ(d.rmc.status, 'A');
  EXPECT_NEAR(d.rmc.position.lat, position.lat, 1e-6);
  EXPECT_NEAR(d.rmc.position.lon, position.lon, 1e-6);
  EXPECT_DOUBLE_EQ(d.sog.value, 7.25);
  EXPECT_DOUBLE_EQ(d.cog.value, 123.4);
  EXPECT_EQ(d.fix.date.value, 10126);
}

TEST(Simulator, OneSentenceASecondAndRouteSteering) {
  CNavSimulator sim;
  EXPECT_FALSE(sim.Update(0, kUtc));
  sim.Start({50, -1}, 10'000, 0, 12);
  EXPECT_TRUE(sim.Update(10'000, kUtc));
  EXPECT_FALSE(sim.Update(10'999, kUtc));
  EXPECT_TRUE(sim.Update(11'000, kUtc));
  int calls = 0;
  sim.SetSteering([&](const LatLon&) -> std::optional<double> {
    ++calls;
    return 270.0;
  });
  sim.Update(11'500, kUtc);
  EXPECT_EQ(calls, 1);
  EXPECT_EQ(sim.Course(), 270.0);
  sim.SetSteering([](const LatLon&) { return std::optional<double>(); });
  sim.Update(12'000, kUtc);
  EXPECT_EQ(sim.Course(), 270.0) << "no route keeps the course";
  sim.Stop();
  EXPECT_FALSE(sim.Position(12'000));
}

class SimulatorStoreTest : public ::testing::Test, public CNavDataFixture {};

TEST_F(SimulatorStoreTest, SimulatedFixOverridesReceiversAndFeedsTalkers) {
  TestPort& gps = AddPort("COM3");
  Feed(gps, {"$GPRMC,120000,A,5000.000,N,00500.000,W,3.0,10.0,010126,,"});
  ASSERT_TRUE(store->GetFix());
  std::vector<std::string> written;
  store->SetTalkerOutput([&](std::string_view s) { written.emplace_back(s); });
  const LatLon start{49.5, -4.0};
  store->StartSimulator(start, 135.0, 8.0);
  EXPECT_TRUE(store->SimulatorRunning());
  for (int i = 0; i < 36; ++i) {
    store->UpdateNavInfo();
    clock.Advance(kHour / 36);
  }
  store->UpdateNavInfo();
  auto snapshot = store->Snapshot();
  EXPECT_EQ(snapshot->fix.quality, kFixSimulated);
  EXPECT_EQ(snapshot->fix.text, "SIMULATED");
  EXPECT_TRUE(snapshot->fix.simulated);
  const LatLon expected = DestinationPoint(start, 8.0, 135.0);
  EXPECT_NEAR(snapshot->fix.position->lat, expected.lat, 1e-9);
  EXPECT_NEAR(snapshot->fix.position->lon, expected.lon, 1e-9);
  EXPECT_DOUBLE_EQ(snapshot->sog->value, 8.0);
  EXPECT_DOUBLE_EQ(snapshot->cog->value, 135.0);
  EXPECT_DOUBLE_EQ(snapshot->headingTrue->value, 135.0) << "no compass: the course";
  ASSERT_EQ(written.size(), 37u);
  EXPECT_EQ(written.front().rfind("$GPRMC,", 0), 0u);

  store->SetSimulatorSpeed(0);
  store->SetSimulatorCourse(10);
  clock.Advance(kHour);
  EXPECT_NEAR(store->GetFix()->position.lat, expected.lat, 1e-9) << "stopped in the water";
  store->StopSimulator();
  EXPECT_EQ(store->GetFixState().text, "LOST GPS");
}

}  // namespace
}  // namespace tarnwick
