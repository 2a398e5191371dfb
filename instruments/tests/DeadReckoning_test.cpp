// Dead reckoning: the estimate itself and dead reckoning as the store's
// position source.

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include "NavDataTestSupport.h"

#include "core/geo/Geodesy.h"
#include "instruments/navdata/DeadReckoning.h"

namespace tarnwick {
namespace {

using testing::CNavDataFixture;
using testing::TestPort;

constexpr uint64_t kHour = 3'600'000;
constexpr uint64_t kT0 = 5'000'000;

void ExpectSame(const LatLon& a, const LatLon& b) {
  EXPECT_NEAR(a.lat, b.lat, 1e-9);
  EXPECT_NEAR(a.lon, b.lon, 1e-9);
}

TEST(DeadReckoning, AdvancesAlongCourseAndSpeed) {
  struct Case {
    LatLon start;
    double course, speed;
  };
  const Case cases[] = {
      {{50.0, -5.0}, 45.0, 10.0},   // north-east in the Channel
      {{-33.9, 18.4}, 200.0, 7.5},  // south of the equator
      {{10.0, 179.9}, 90.0, 12.0},  // across the date line
      {{78.0, 15.0}, 0.0, 20.0},    // towards the pole
  };
  for (const Case& c : cases) {
    CDeadReckoning dr;
    dr.Start(c.start, kT0, c.course, c.speed);
    ExpectSame(*dr.Position(kT0 + kHour), DestinationPoint(c.start, c.speed, c.course));
    ExpectSame(*dr.Position(kT0 + kHour / 4), DestinationPoint(c.start, c.speed / 4, c.course));
    ExpectSame(*dr.Position(kT0), c.start);
  }
}

TEST(DeadReckoning, ChangeOfCourseStartsANewLegFromTheEstimate) {
  const LatLon start{50.0, -5.0};
  CDeadReckoning dr;
  dr.Start(start, kT0, 45, 10);
  dr.Steer(45, 10, kT0 + kHour / 4);  // no change: the leg goes on
  dr.Steer(90, 6, kT0 + kHour / 2);
  const LatLon turn = DestinationPoint(start, 5, 45);
  ExpectSame(*dr.Position(kT0 + kHour / 2), turn);
  ExpectSame(*dr.Position(kT0 + kHour + kHour / 2), DestinationPoint(turn, 6, 90));
  EXPECT_EQ(dr.Course(), 90);
  EXPECT_EQ(dr.Speed(), 6);
}

TEST(DeadReckoning, BadInputNeverMovesTheShipWildly) {
  CDeadReckoning dr;
  EXPECT_FALSE(dr.Position(kT0));
  dr.Steer(10, 10, kT0);  // not running: ignored
  EXPECT_FALSE(dr.Running());
  dr.Start({50, -5}, kT0, -90, -3);
  EXPECT_EQ(dr.Course(), 270);
  EXPECT_EQ(dr.Speed(), 0);
  ExpectSame(*dr.Position(kT0 + kHour), {50, -5});
  dr.Steer(std::nan(""), std::numeric_limits<double>::infinity(), kT0 + kHour);
  ExpectSame(*dr.Position(kT0 + 2 * kHour), {50, -5});
  ExpectSame(*dr.Position(kT0 - 1000), {50, -5});  // a tick before the start
  dr.Stop();
  EXPECT_FALSE(dr.Position(kT0));
}

class DeadReckoningStoreTest : public ::testing::Test, public CNavDataFixture {};

const char* kRmc = "$GPRMC,120000,A,5000.000,N,00500.000,W,10.0,45.0,010126,,";

TEST_F(DeadReckoningStoreTest, EstimatesFromTheLastFixForAnHour) {
  TestPort& gps = AddPort("COM3");
  Feed(gps, {kRmc});
  ASSERT_TRUE(store->GetFix());
  EXPECT_TRUE(store->SelectDeadReckoning());
  EXPECT_EQ(opt::PositionSensor.Text(), "DR");
  const LatLon start{50.0, -5.0};
  for (int minute = 1; minute <= 60; ++minute) {
    clock.Advance(60'000);
    // The receiver keeps talking but is no longer used.
    Feed(gps, {"$GPRMC,120100,A,5000.100,N,00500.000,W,3.0,0.0,010126,,"});
    store->UpdateNavInfo();
  }
  auto snapshot = store->Snapshot();
  EXPECT_EQ(snapshot->fix.quality, kFixEstimated);
  EXPECT_EQ(snapshot->fix.text, "D.R.");
  EXPECT_TRUE(snapshot->fix.deadReckoning);
  EXPECT_EQ(snapshot->fix.sourceKind, FixSourceKind::Estimated);
  ASSERT_TRUE(snapshot->fix.position);
  ExpectSame(*snapshot->fix.position, DestinationPoint(start, 10.0, 45.0));
  EXPECT_DOUBLE_EQ(snapshot->sog->value, 10.0);
  EXPECT_DOUBLE_EQ(snapshot->cog->value, 45.0);

  store->SelectAutomaticPosition();
  EXPECT_EQ(store->GetFixState().text, "GPS FIX");
}

TEST_F(DeadReckoningStoreTest, HeadingAndLogSteerTheEstimate) {
  TestPort& gps = AddPort("COM3");
  TestPort& instruments = AddPort("Instruments");
  Feed(gps, {kRmc});
  store->GetFix();
  ASSERT_TRUE(store->SelectDeadReckoning());
  clock.Advance(kHour / 2);
  store->UpdateNavInfo();
  const LatLon turn = DestinationPoint({50.0, -5.0}, 5.0, 45.0);
  // From now on the ship steers 090 at 6 knots through the water.
  for (int i = 0; i < 30; ++i) {
    Feed(instruments, {"$HEHDT,90.0,T", "$VWVHW,,T,,M,6.0,N,,K"});
    store->UpdateNavInfo();
    clock.Advance(120'000);
  }
  store->UpdateNavInfo();
  ExpectSame(store->GetFix()->position, DestinationPoint(turn, 6.0, 90.0));
}

TEST_F(DeadReckoningStoreTest, WithoutAFixItStartsAtTheFirstOne) {
  EXPECT_FALSE(store->SelectDeadReckoning());
  FixState state = store->GetFixState();
  EXPECT_FALSE(state.fix);
  EXPECT_EQ(state.text, "D.R.");
  TestPort& gps = AddPort("COM3");
  Feed(gps, {kRmc});
  state = store->GetFixState();
  ASSERT_TRUE(state.fix);
  EXPECT_EQ(state.quality, kFixEstimated);
  ExpectSame(state.fix->position, {50.0, -5.0});
  clock.Advance(kHour);
  ExpectSame(store->GetFix()->position, DestinationPoint({50.0, -5.0}, 10.0, 45.0));
}

}  // namespace
}  // namespace tarnwick
