// The route navigator: leg geometry and the passing line, waypoint advance by
// arrival circle and passing line, end of route, next and previous waypoint,
// the off-course alarm with its repeat interval, and boundary circles.

#include "navobjects/navigation/NavController.h"

#include <gtest/gtest.h>

#include "core/Clock.h"
#include "core/SettingsRegistry.h"
#include "core/settings/AlertsSettings.h"
#include "navobjects/model/Track.h"

namespace tarnwick {
namespace {

using Texts = std::vector<std::string>;

// What the navigator said, in order; the sounds as "<beep>" and "<alarm>".
class RecordingAnnouncer final : public INavAnnouncer {
 public:
  void Speak(const std::string& text) override { said.push_back(text); }
  void ShowMessageBar(const std::string& text) override { said.push_back("bar:" + text); }
  void Sound(NavSound sound) override {
    said.push_back(sound == NavSound::Beep ? "<beep>" : "<alarm>");
  }
  Texts Take() { return std::exchange(said, {}); }
  Texts said;
};

std::shared_ptr<CMark> Mark(double lat, double lon, std::string name = "") {
  auto mark = std::make_shared<CMark>();
  mark->position = {lat, lon};
  mark->name = std::move(name);
  return mark;
}

// A route along the equator through the longitudes, marks unnamed (001, 002...).
std::shared_ptr<CRoute> Route(std::initializer_list<double> lons) {
  auto route = std::make_shared<CRoute>();
  for (double lon : lons) route->InsertMarkAt(route->Marks().size(), Mark(0, lon));
  return route;
}

TEST(LegGeometry, CrossTrackSignAndSteer) {
  // The leg runs east along the equator; north of it is left of it.
  const struct {
    double lat;
    int steer;
    const char* text;
  } cases[] = {{0.01, kSteerRight, "right"}, {-0.01, kSteerLeft, "left"}, {0, kSteerNone, "right"}};
  for (const auto& c : cases) {
    const LegGeometry g = ComputeLegGeometry({0, 0}, {0, 1}, {c.lat, 0.5});
    EXPECT_EQ(g.steer, c.steer) << c.lat;
    EXPECT_STREQ(SteerText(g.steer), c.text);
    EXPECT_NEAR(g.crossTrackNm, std::fabs(c.lat) * 60, 1e-3);
    EXPECT_NEAR(g.distanceOriginToWaypointNm, 60, 1e-6);
    EXPECT_NEAR(g.bearingOriginToWaypoint, 90, 1e-9);
  }
}

TEST(LegGeometry, PassingLine) {
  using P = PassingResult;
  // The leg runs east along the equator from 0 to the waypoint at 1 E.
  const struct {
    const char* what;
    LatLon p0, p1, w;
    std::optional<LatLon> next;
    P expected;
  } cases[] = {
      {"short of the perpendicular", {0, 0.9}, {0.05, 0.98}, {0, 1}, {}, P::None},
      {"over the bisector of the turn", {0, 0.9}, {0.05, 0.98}, {0, 1}, LatLon{1, 1}, P::Passed},
      {"abeam, 0.18 NM outside the circle", {0.003, 0.9999}, {0.003, 1.0001}, {0, 1}, {}, P::Passed},
      {"corner cut inside the turn", {0.003, 0.996}, {0.004, 0.997}, {0, 1}, LatLon{1, 1},
       P::Passed},
      {"back over the line", {0.001, 1.1}, {0, 0.9}, {0, 1}, {}, P::Passed},
      {"unchanged position", {0.05, 1.05}, {0.05, 1.05}, {0, 1}, {}, P::None},
      {"inside the radius", {0, 0.9}, {0, 0.999}, {0, 1}, {}, P::Inside},
      {"a leg turning straight back", {0, 0.9}, {0.001, 1.1}, {0, 1}, LatLon{0, 0.5}, P::Passed},
  };
  for (const auto& c : cases)
    EXPECT_EQ(TestWaypointPassing(c.p0, c.p1, {0, 0}, c.w, c.next, 0.1), c.expected) << c.what;
  EXPECT_EQ(TestWaypointPassing({0, 179.9}, {0.001, -179.9}, {0, 179}, {0, 180}, {}, 0.1),
            P::Passed)
      << "across the 180th meridian";
  EXPECT_EQ(TestWaypointPassing({0, 0.9995}, {0, 1.0005}, {0, 1}, {0, 1}, {}, 0), P::Passed)
      << "a leg without length takes the direction of the previous position";
}

class NavControllerTest : public ::testing::Test {
 protected:
  void SetUp() override { CSettingsRegistry::Instance().ResetState(); }
  void TearDown() override { CSettingsRegistry::Instance().ResetState(); }
  void ShipAt(double lat, double lon, bool valid = true) {
    OwnShipInput in;
    in.position = LatLon{lat, lon};
    in.fixValid = valid;
    nav_.Update(in);
  }

  CSimulatedClock clock_;
  CScopedClock scoped_{clock_};
  std::shared_ptr<RecordingAnnouncer> voice_ = std::make_shared<RecordingAnnouncer>();
  CNavController nav_{voice_};
};

TEST_F(NavControllerTest, ActivationOriginAndDeactivation) {
  EXPECT_EQ(nav_.Activate(std::make_shared<CTrack>()), ActivateResult::NotNavigable);
  EXPECT_EQ(nav_.Activate(std::make_shared<CRoute>()), ActivateResult::NotNavigable);
  auto mark = Mark(0, 1, "Buoy");
  ASSERT_EQ(nav_.Activate(mark), ActivateResult::Activated);
  EXPECT_FALSE(nav_.Leg());  // no fix yet: the first one becomes the origin
  ShipAt(0, 0);
  ShipAt(0.5, 0.5, false);  // a fix that is not valid moves nothing
  const auto leg = nav_.Leg();
  ASSERT_TRUE(leg);
  EXPECT_EQ(leg->origin, (LatLon{0, 0}));
  EXPECT_EQ(leg->ownShip, (LatLon{0, 0}));
  EXPECT_FALSE(leg->positionCurrent);
  EXPECT_EQ(leg->waypointName, "Buoy");
  EXPECT_FALSE(nav_.Deactivate(*Mark(0, 1)));
  EXPECT_TRUE(nav_.Deactivate(*mark));
  EXPECT_FALSE(nav_.Leg());
}

TEST_F(NavControllerTest, FollowsARouteToItsEnd) {
  auto route = Route({0, 0.5, 1});
  route->Marks()[1]->arrivalCircleRadius = Length{0, LengthUnit::NauticalMiles};  // no circle
  ShipAt(0, -0.01);
  ASSERT_EQ(nav_.Activate(route), ActivateResult::Activated);
  const Texts end = {"bar:" + std::string(kEndOfRouteMessageBar), kEndOfRouteText};
  const struct {
    LatLon where;
    Texts said;
    int waypoint;  // index of the active waypoint after the update, -1 none
  } steps[] = {
      {{0, -0.001}, {"Arrived at waypoint 001."}, 1},  // inside the arrival circle
      {{0, -0.001}, {}, 1},                            // unchanged: no test
      {{0.003, 0.3}, {}, 1},
      {{0.001, 0.499}, {}, 1},  // 0.06 NM off, but a radius of 0 is no circle
      {{0.001, 0.501}, {"Passed  waypoint 002."}, 2},
      {{0.003, 0.999}, {}, 2},  // abeam 0.18 NM off, one second before passing
      {{0.003, 1.001}, {"Passed  waypoint 003.", end[0], end[1]}, -1},
  };
  for (const auto& s : steps) {
    ShipAt(s.where.lat, s.where.lon);
    EXPECT_EQ(voice_->Take(), s.said) << s.where.lon;
    EXPECT_EQ(nav_.ActiveWaypoint(), s.waypoint < 0 ? nullptr : route->Marks()[s.waypoint]);
  }
  EXPECT_FALSE(nav_.ActiveRoute());
  ASSERT_TRUE(nav_.ArrivedLeg());
  EXPECT_EQ(nav_.ArrivedLeg()->waypointName, "003");
  EXPECT_TRUE(nav_.ArrivedLeg()->passed);

  // Without waypoint announcements the end still shows the message bar.
  ASSERT_TRUE(opt::Alerts_CourseUpdateAtWaypoints.SetBool(false));
  ASSERT_EQ(nav_.Activate(Route({1.0005})), ActivateResult::Activated);
  ShipAt(0, 1.0004);
  EXPECT_EQ(voice_->Take(), Texts{end[0]});
}

TEST_F(NavControllerTest, NextAndPreviousWaypoint) {
  auto route = Route({0, 0.5, 1});
  ShipAt(0, -0.5);
  ASSERT_EQ(nav_.Activate(route), ActivateResult::Activated);
  const uint64_t serial = nav_.WaypointSerial();
  nav_.PreviousWaypoint();  // on the first waypoint: only the beep
  EXPECT_EQ(voice_->Take(), Texts{"<beep>"});
  EXPECT_EQ(nav_.ActiveWaypoint(), route->Marks()[0]);
  EXPECT_EQ(nav_.WaypointSerial(), serial);

  nav_.NextWaypoint();
  nav_.NextWaypoint();
  nav_.PreviousWaypoint();
  EXPECT_EQ(nav_.ActiveWaypoint(), route->Marks()[1]);
  EXPECT_EQ(nav_.Leg()->origin, (LatLon{0, -0.5}));
  nav_.NextWaypoint();
  nav_.NextWaypoint();  // beyond the last: the end of the route
  EXPECT_EQ(voice_->Take(), Texts{kEndOfRouteText});
  EXPECT_FALSE(nav_.IsNavigating());

  ASSERT_EQ(nav_.Activate(Mark(1, 1)), ActivateResult::Activated);
  nav_.NextWaypoint();  // a single mark is deactivated
  EXPECT_FALSE(nav_.IsNavigating());
  ASSERT_EQ(nav_.Activate(route), ActivateResult::Activated);
  route->RemoveMarkAt(0);
  nav_.NextWaypoint();  // the active waypoint left the route: stop
  EXPECT_FALSE(nav_.IsNavigating());
}

TEST_F(NavControllerTest, OffCourseAlarmRepeatsAfterTheIntervalOnly) {
  ShipAt(0, 0);
  ASSERT_EQ(nav_.Activate(Mark(0, 1)), ActivateResult::Activated);
  const std::string right = "Alert. 0.300 nm off course! Steer right.";
  const struct {
    uint64_t advanceMs;
    LatLon where;
    Texts said;
  } steps[] = {
      {0, {0.005, 0.1}, {right}},  // 0.3 NM north of an eastbound leg
      {29999, {0.005, 0.11}, {}},
      {1, {0.005, 0.12}, {}},       // exactly 30 s: not more than the interval
      {1, {0.005, 0.13}, {right}},  // 30.001 s
      {1000, {0.001, 0.2}, {kBackOnCourseText}},
      {1000, {0.001, 0.21}, {}},   // said once
      {1000, {-0.005, 0.22}, {}},  // the other side, 2 s after the last alert
      {30000, {-0.005, 0.23}, {"Alert. 0.300 nm off course! Steer left."}},
  };
  for (const auto& s : steps) {
    clock_.Advance(s.advanceMs);
    ShipAt(s.where.lat, s.where.lon);
    EXPECT_EQ(voice_->Take(), s.said) << s.where.lon;
  }
  ASSERT_TRUE(opt::Alerts_XTEOver.SetBool(false));
  clock_.Advance(60000);
  ShipAt(-0.005, 0.24);
  EXPECT_TRUE(voice_->Take().empty());
  EXPECT_FALSE(nav_.OffCourse());
}

TEST_F(NavControllerTest, CrossTrackLimitOfTheLegOverridesTheSetting) {
  auto route = Route({0, 1});
  route->MutableLegs()[0]->crossTrackLimit = Length{0.5, LengthUnit::NauticalMiles};
  ShipAt(0, 0.0005);
  ASSERT_EQ(nav_.Activate(route), ActivateResult::Activated);
  nav_.NextWaypoint();
  ShipAt(0.005, 0.1);  // 0.3 NM: within the leg's 0.5 NM
  EXPECT_TRUE(voice_->Take().empty());
  ShipAt(0.01, 0.12);  // 0.6 NM
  EXPECT_EQ(voice_->Take().size(), 1u);
}

TEST_F(NavControllerTest, BoundaryCircles) {
  auto wreck = Mark(0, 0.3, "Wreck");
  wreck->boundaryCircleOffLimits = kBoundaryCircleAnnounce;
  auto unnamed = Mark(0, 0.6, "Boundary Circle");
  unnamed->boundaryCircleOffLimits = kBoundaryCircleOffLimits;
  auto target = Mark(0, 1.2, "Target");
  target->boundaryCircleOffLimits = kBoundaryCircleAnnounce;
  nav_.SetMarkSource([&] { return std::vector{wreck, unnamed, Mark(0, 0.9), target}; });
  ShipAt(0.001, 0);
  ASSERT_EQ(nav_.Activate(target), ActivateResult::Activated);
  const struct {
    double lon;
    Texts said;
  } steps[] = {
      {0.3, {"<alarm>", "Entering boundary circle Wreck"}},
      {0.302, {}},
      {0.4, {"<alarm>", "Leaving boundary circle Wreck"}},
      {0.6, {"<alarm>", "Entering boundary circle "}},
      {0.9, {"<alarm>", "Leaving boundary circle "}},
      {1.2, {"Arrived at waypoint Target."}},  // the active waypoint's circle is not watched
  };
  for (const auto& s : steps) {
    ShipAt(0.001, s.lon);
    EXPECT_EQ(voice_->Take(), s.said) << s.lon;
  }
  ASSERT_TRUE(opt::Alerts_BoundaryCrossing.SetBool(false));
  ShipAt(0.001, 0.3);
  EXPECT_EQ(voice_->Take(), Texts{"<alarm>"});
}

}  // namespace
}  // namespace tarnwick
