// The route navigator: leg geometry and the passing line, activation, waypoint
// advance by arrival circle and passing line, end of route, next and previous
// waypoint, the off-course alarm with its repeat interval, and boundary circles.

#include "navobjects/navigation/NavController.h"

#include <gtest/gtest.h>

#include "core/Clock.h"
#include "core/SettingsRegistry.h"
#include "core/geo/Geodesy.h"
#include "core/settings/AlertsSettings.h"
#include "navobjects/model/Track.h"

namespace tarnwick {
namespace {

// What the navigator said, in order; sounds as "<beep>" and "<alarm>".
class RecordingAnnouncer final : public INavAnnouncer {
 public:
  void Speak(const std::string& text) override { said.push_back(text); }
  void ShowMessageBar(const std::string& text) override { said.push_back("bar:" + text); }
  void Sound(NavSound sound) override {
    said.push_back(sound == NavSound::Beep ? "<beep>" : "<alarm>");
  }
  std::vector<std::string> Take() { return std::exchange(said, {}); }
  std::vector<std::string> said;
};

std::shared_ptr<CMark> Mark(double lat, double lon, std::string name = "") {
  auto mark = std::make_shared<CMark>();
  mark->position = {lat, lon};
  mark->name = std::move(name);
  return mark;
}

// A route through the positions, marks unnamed (shown as 001, 002, ...).
std::shared_ptr<CRoute> Route(std::initializer_list<LatLon> points) {
  auto route = std::make_shared<CRoute>();
  for (const LatLon& p : points) route->InsertMarkAt(route->Marks().size(), Mark(p.lat, p.lon));
  return route;
}

OwnShipInput At(double lat, double lon) {
  OwnShipInput in;
  in.position = LatLon{lat, lon};
  in.fixValid = true;
  return in;
}

// ---- Geometry ------------------------------------------------------------

TEST(LegGeometry, CrossTrackSignAndSteer) {
  struct Case {
    LatLon ownShip;
    int steer;
    const char* text;
  };
  // The leg runs east along the equator from 0,0 to 0,1.
  const Case cases[] = {
      {{0.01, 0.5}, kSteerRight, "right"},  // north of an eastbound leg: left of it
      {{-0.01, 0.5}, kSteerLeft, "left"},   // south: right of it
      {{0.0, 0.5}, kSteerNone, "right"},    // on the leg
  };
  for (const Case& c : cases) {
    const LegGeometry g = ComputeLegGeometry({0, 0}, {0, 1}, c.ownShip);
    EXPECT_EQ(g.steer, c.steer) << c.ownShip.lat;
    EXPECT_STREQ(SteerText(g.steer), c.text);
    EXPECT_NEAR(g.crossTrackNm, std::fabs(c.ownShip.lat) * 60, 1e-3);
    EXPECT_EQ(g.crossTrackNm, std::fabs(g.signedCrossTrackNm));
    EXPECT_NEAR(g.distanceOriginToWaypointNm, 60, 1e-6);
    EXPECT_NEAR(g.bearingOriginToWaypoint, 90, 1e-9);
    EXPECT_NEAR(g.distanceToWaypointNm, Distance(c.ownShip, {0, 1}), 1e-12);
  }
}

TEST(LegGeometry, PassingLine) {
  struct Case {
    const char* what;
    LatLon p0, p1, w;
    std::optional<LatLon> next;
    PassingResult expected;
  };
  const Case cases[] = {
      {"short of the perpendicular",
       {0, 0.9},
       {0.05, 0.98},
       {0, 1},
       std::nullopt,
       PassingResult::None},
      {"cutting the corner crosses the bisector",
       {0, 0.9},
       {0.05, 0.98},
       {0, 1},
       LatLon{1, 1},
       PassingResult::Passed},
      {"straight over the perpendicular",
       {0, 0.9},
       {0.001, 1.1},
       {0, 1},
       std::nullopt,
       PassingResult::Passed},
      {"back over the line", {0.001, 1.1}, {0, 0.9}, {0, 1}, std::nullopt, PassingResult::Passed},
      {"unchanged position", {0.05, 1.05}, {0.05, 1.05}, {0, 1}, std::nullopt, PassingResult::None},
      {"inside the radius", {0, 0.9}, {0, 0.999}, {0, 1}, std::nullopt, PassingResult::Inside},
      {"next equal to the waypoint",
       {0, 0.9},
       {0.05, 0.98},
       {0, 1},
       LatLon{0, 1},
       PassingResult::None},
      {"leg that turns straight back",
       {0, 0.9},
       {0.001, 1.1},
       {0, 1},
       LatLon{0, 0.5},
       PassingResult::Passed},
      {"across the 180th meridian",
       {0, 179.9},
       {0.001, -179.9},
       {0, 180},
       std::nullopt,
       PassingResult::Passed},
  };
  for (const Case& c : cases)
    EXPECT_EQ(TestWaypointPassing(c.p0, c.p1, c.w, c.next, 0.1), c.expected) << c.what;
}

// ---- Controller ----------------------------------------------------------

class NavControllerTest : public ::testing::Test {
 protected:
  void SetUp() override { CSettingsRegistry::Instance().ResetState(); }
  void TearDown() override { CSettingsRegistry::Instance().ResetState(); }

  CSimulatedClock clock_;
  CScopedClock scoped_{clock_};
  std::shared_ptr<RecordingAnnouncer> voice_ = std::make_shared<RecordingAnnouncer>();
  CNavController nav_{voice_};
};

TEST_F(NavControllerTest, ActivationAndWhatCannotBeNavigated) {
  EXPECT_EQ(nav_.Activate(std::make_shared<CTrack>()), ActivateResult::NotNavigable);
  EXPECT_EQ(nav_.Activate(std::make_shared<CRoute>()), ActivateResult::NotNavigable);
  EXPECT_FALSE(nav_.IsNavigating());

  // Activated before any fix: the first position becomes the origin.
  auto mark = Mark(0, 1, "Buoy");
  ASSERT_EQ(nav_.Activate(mark), ActivateResult::Activated);
  EXPECT_FALSE(nav_.Leg());
  nav_.Update(At(0, 0));
  auto leg = nav_.Leg();
  ASSERT_TRUE(leg);
  EXPECT_EQ(leg->origin, (LatLon{0, 0}));
  EXPECT_EQ(leg->waypointName, "Buoy");
  EXPECT_EQ(leg->waypointIndex, -1);
  EXPECT_TRUE(leg->routeId.empty());

  // A fix that is not valid does not move the leg.
  OwnShipInput lost = At(0.5, 0.5);
  lost.fixValid = false;
  nav_.Update(lost);
  EXPECT_FALSE(nav_.Leg()->positionCurrent);
  EXPECT_EQ(nav_.Leg()->ownShip, (LatLon{0, 0}));

  const uint64_t serial = nav_.WaypointSerial();
  EXPECT_FALSE(nav_.Deactivate(*Mark(0, 1)));
  EXPECT_TRUE(nav_.Deactivate(*mark));
  EXPECT_FALSE(nav_.IsNavigating());
  EXPECT_FALSE(nav_.Leg());
  EXPECT_NE(nav_.WaypointSerial(), serial);
}

TEST_F(NavControllerTest, ResetCrossTrackMovesTheOrigin) {
  nav_.Update(At(0, 0));
  ASSERT_EQ(nav_.Activate(Mark(0, 1)), ActivateResult::Activated);
  nav_.Update(At(0.002, 0.2));
  EXPECT_NEAR(nav_.Leg()->geometry.crossTrackNm, 0.12, 1e-3);
  ASSERT_TRUE(nav_.ResetCrossTrack());
  EXPECT_EQ(nav_.Leg()->origin, (LatLon{0.002, 0.2}));
  EXPECT_EQ(nav_.Leg()->geometry.crossTrackNm, 0);
}

TEST_F(NavControllerTest, FollowsARouteToItsEnd) {
  auto route = Route({{0, 0}, {0, 0.5}, {0, 1}});
  nav_.Update(At(0, -0.01));
  ASSERT_EQ(nav_.Activate(route), ActivateResult::Activated);
  EXPECT_EQ(nav_.ActiveWaypoint(), route->Marks()[0]);

  // Into the arrival circle of 001 (0.06 NM off).
  nav_.Update(At(0, -0.001));
  EXPECT_EQ(voice_->Take(), std::vector<std::string>{"Arrived at waypoint 001."});
  ASSERT_EQ(nav_.ActiveWaypoint(), route->Marks()[1]);
  EXPECT_EQ(nav_.Leg()->origin, (LatLon{0, -0.001}));
  EXPECT_EQ(nav_.Leg()->originName, "001");

  // The same position again tests nothing; then along the leg.
  nav_.Update(At(0, -0.001));
  nav_.Update(At(0.003, 0.3));
  EXPECT_TRUE(voice_->Take().empty());

  // Past 002 well outside its circle, over the bisector of the turn.
  nav_.Update(At(0.003, 0.51));
  EXPECT_EQ(voice_->Take(), std::vector<std::string>{"Passed  waypoint 002."});
  ASSERT_EQ(nav_.ActiveWaypoint(), route->Marks()[2]);

  nav_.Update(At(0, 0.999));
  EXPECT_EQ(voice_->Take(), (std::vector<std::string>{"Arrived at waypoint 003.",
                                                      std::string("bar:") + kEndOfRouteMessageBar,
                                                      kEndOfRouteText}));
  EXPECT_FALSE(nav_.IsNavigating());
  EXPECT_FALSE(nav_.ActiveRoute());
}

TEST_F(NavControllerTest, WaypointAnnouncementsFollowTheSetting) {
  ASSERT_TRUE(opt::Alerts_CourseUpdateAtWaypoints.SetBool(false));
  nav_.Update(At(0, 0.4));
  ASSERT_EQ(nav_.Activate(Route({{0, 0.5}})), ActivateResult::Activated);
  nav_.Update(At(0, 0.4995));
  // The end of the route still shows the message bar, but says nothing.
  EXPECT_EQ(voice_->Take(), std::vector<std::string>{std::string("bar:") + kEndOfRouteMessageBar});
  EXPECT_FALSE(nav_.IsNavigating());
}

TEST_F(NavControllerTest, NextAndPreviousWaypoint) {
  auto route = Route({{0, 0}, {0, 0.5}, {0, 1}});
  route->Marks()[2]->name = "Harbour";
  nav_.Update(At(0, -0.5));
  ASSERT_EQ(nav_.Activate(route), ActivateResult::Activated);

  // Back from the first waypoint: only the beep.
  const uint64_t serial = nav_.WaypointSerial();
  nav_.PreviousWaypoint();
  EXPECT_EQ(voice_->Take(), std::vector<std::string>{"<beep>"});
  EXPECT_EQ(nav_.ActiveWaypoint(), route->Marks()[0]);
  EXPECT_EQ(nav_.WaypointSerial(), serial);

  nav_.Update(At(0.1, -0.4));
  voice_->Take();  // off course from the first leg
  nav_.NextWaypoint();
  EXPECT_EQ(nav_.ActiveWaypoint(), route->Marks()[1]);
  EXPECT_EQ(nav_.Leg()->origin, (LatLon{0.1, -0.4}));
  nav_.NextWaypoint();
  EXPECT_EQ(nav_.Leg()->waypointName, "Harbour");
  nav_.PreviousWaypoint();
  EXPECT_EQ(nav_.ActiveWaypoint(), route->Marks()[1]);
  nav_.NextWaypoint();
  nav_.NextWaypoint();
  EXPECT_EQ(voice_->Take(), std::vector<std::string>{kEndOfRouteText});
  EXPECT_FALSE(nav_.IsNavigating());

  // Without a route, next deactivates the mark.
  ASSERT_EQ(nav_.Activate(Mark(1, 1)), ActivateResult::Activated);
  nav_.NextWaypoint();
  EXPECT_FALSE(nav_.IsNavigating());

  // A waypoint removed from the route: next stops.
  ASSERT_EQ(nav_.Activate(route), ActivateResult::Activated);
  route->RemoveMarkAt(0);
  nav_.NextWaypoint();
  EXPECT_FALSE(nav_.IsNavigating());
}

TEST_F(NavControllerTest, OffCourseAlarmRepeatsAfterTheIntervalOnly) {
  nav_.Update(At(0, 0));
  ASSERT_EQ(nav_.Activate(Mark(0, 1)), ActivateResult::Activated);
  const std::string alert = "Alert. ";
  auto isAlert = [&](const std::vector<std::string>& said, const char* side) {
    return said.size() == 1 && said[0].rfind(alert, 0) == 0 &&
           said[0].ends_with(std::string(" off course! Steer ") + side + ".");
  };

  nav_.Update(At(0.005, 0.1));  // 0.3 NM north of an eastbound leg
  EXPECT_TRUE(isAlert(voice_->Take(), "right"));
  EXPECT_TRUE(nav_.OffCourse());

  struct Step {
    uint64_t advanceMs;
    LatLon where;
    std::vector<std::string> expected;  // empty: silence; "alert": the alert
  };
  const Step steps[] = {
      {10000, {0.006, 0.11}, {}},     // still off course, too soon
      {20000, {0.006, 0.12}, {}},     // exactly 30 s: not more than the interval
      {1, {0.006, 0.13}, {"alert"}},  // 30.001 s
      {1000, {0.001, 0.2}, {kBackOnCourseText}},
      {1000, {0.001, 0.21}, {}},   // said once only
      {1000, {-0.006, 0.22}, {}},  // off to the other side 2 s after the alert: too soon
  };
  for (size_t i = 0; i < std::size(steps); ++i) {
    const Step& s = steps[i];
    clock_.Advance(s.advanceMs);
    nav_.Update(At(s.where.lat, s.where.lon));
    const auto said = voice_->Take();
    if (!s.expected.empty() && s.expected[0] == "alert")
      EXPECT_TRUE(isAlert(said, "right")) << i;
    else
      EXPECT_EQ(said, s.expected) << i;
  }
  clock_.Advance(30000);
  nav_.Update(At(-0.006, 0.23));
  EXPECT_TRUE(isAlert(voice_->Take(), "left"));

  // Switched off: silence and no flag.
  ASSERT_TRUE(opt::Alerts_XTEOver.SetBool(false));
  clock_.Advance(60000);
  nav_.Update(At(-0.006, 0.24));
  EXPECT_TRUE(voice_->Take().empty());
  EXPECT_FALSE(nav_.OffCourse());
}

TEST_F(NavControllerTest, CrossTrackLimitOfTheLegOverridesTheSetting) {
  auto route = Route({{0, 0}, {0, 1}});
  route->MutableLegs()[0]->crossTrackLimit = Length{0.5, LengthUnit::NauticalMiles};
  nav_.Update(At(0, 0.001));
  ASSERT_EQ(nav_.Activate(route), ActivateResult::Activated);
  nav_.Update(At(0, 0.0005));  // arrives at 001, now on the leg to 002
  ASSERT_EQ(nav_.ActiveWaypoint(), route->Marks()[1]);
  voice_->Take();
  nav_.Update(At(0.005, 0.1));  // 0.3 NM: within the leg's 0.5 NM
  EXPECT_TRUE(voice_->Take().empty());
  ASSERT_TRUE(opt::Alerts_XTEOverValue.Set("0.1 nm"));
  nav_.Update(At(0.005, 0.11));
  EXPECT_TRUE(voice_->Take().empty());
  nav_.Update(At(0.01, 0.12));  // 0.6 NM
  EXPECT_EQ(voice_->Take().size(), 1u);
}

TEST_F(NavControllerTest, BoundaryCircles) {
  auto named = Mark(0, 0.3, "Wreck");
  named->boundaryCircleOffLimits = kBoundaryCircleAnnounce;
  auto unnamed = Mark(0, 0.6, "Boundary Circle");
  unnamed->boundaryCircleOffLimits = kBoundaryCircleOffLimits;
  auto plain = Mark(0, 0.9, "Plain");  // no boundary circle
  auto target = Mark(0, 1.2, "Target");
  target->boundaryCircleOffLimits = kBoundaryCircleAnnounce;
  nav_.SetMarkSource([&] { return std::vector{named, unnamed, plain, target}; });

  nav_.Update(At(0.001, 0));
  ASSERT_EQ(nav_.Activate(target), ActivateResult::Activated);
  struct Step {
    LatLon where;
    std::vector<std::string> expected;
  };
  const Step steps[] = {
      {{0.001, 0.3}, {"<alarm>", "Entering boundary circle Wreck"}},
      {{0.001, 0.302}, {}},
      {{0.001, 0.4}, {"<alarm>", "Leaving boundary circle Wreck"}},
      {{0.001, 0.6}, {"<alarm>", "Entering boundary circle "}},
      {{0.001, 0.9}, {"<alarm>", "Leaving boundary circle "}},
      {{0.001, 1.2},
       {"Arrived at waypoint Target."}},  // the active waypoint's circle is not watched
  };
  for (const Step& s : steps) {
    nav_.Update(At(s.where.lat, s.where.lon));
    EXPECT_EQ(voice_->Take(), s.expected) << s.where.lon;
  }
  ASSERT_TRUE(opt::Alerts_BoundaryCrossing.SetBool(false));
  nav_.Update(At(0.001, 0.3));
  EXPECT_EQ(voice_->Take(), std::vector<std::string>{"<alarm>"});
}

}  // namespace
}  // namespace tarnwick
