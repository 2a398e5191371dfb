// Boundary alarms: crossings and speed limits inside an area, each message
// once per episode; boundary circles are not theirs.

#include <gtest/gtest.h>

#include "navobjects/model/Shapes.h"
#include "navobjects/tracking/BoundaryAlarms.h"

namespace tarnwick {
namespace {

std::shared_ptr<CMark> At(double lat, double lon) {
  auto mark = std::make_shared<CMark>();
  mark->position = {lat, lon};
  return mark;
}

OwnShipInput Ship(double lat, double lon, double sog) {
  OwnShipInput ship;
  ship.position = LatLon{lat, lon};
  ship.sogKnots = sog;
  ship.fixValid = true;
  return ship;
}

using Texts = std::vector<std::string>;

TEST(BoundaryAlarms, SpeedLimitsInsideAnAreaOncePerEpisode) {
  auto area = std::make_shared<CBoundary>();
  area->MutableMarks() = {At(0, 0), At(0, 1), At(1, 1), At(1, 0)};
  area->maxSpeedLimit = 5;
  area->minSpeedLimit = 2;
  std::vector<std::shared_ptr<CNavObject>> objects{area};
  CBoundaryAlarms alarms;

  struct Step {
    double lat, lon, sog;
    Texts expected;
  };
  const Step steps[] = {
      {-0.5, 0.5, 8, {}},  // outside: no limit
      {0.5, 0.5, 8, {"Warning! Crossed boundary line!", "Speed is too high (8.0 kts)."}},
      {0.6, 0.5, 9, {}},  // still too fast: not repeated
      {0.7, 0.5, 4, {}},
      {0.8, 0.5, 6.25, {"Speed is too high (6.2 kts)."}},  // a new episode
      {0.8, 0.6, 1, {"Speed is too low (1.0 kts)."}},
      {0.8, 0.6, 1, {}},
      {0.8, 1.5, 1, {"Warning! Crossed boundary line!"}},  // leaving also crosses
  };
  for (const Step& step : steps)
    EXPECT_EQ(alarms.Update(Ship(step.lat, step.lon, step.sog), objects), step.expected)
        << step.lat << "," << step.lon;
}

TEST(BoundaryAlarms, LinesDisabledAlarmsAndInvalidFixes) {
  auto line = std::make_shared<CBoundary>();
  line->MutableMarks() = {At(0, 0), At(0, 1)};
  line->maxSpeedLimit = 1;  // a line has no inside
  auto off = std::make_shared<CBoundary>();
  off->MutableMarks() = {At(0, 2), At(0, 3)};
  off->enableAlarm = false;
  std::vector<std::shared_ptr<CNavObject>> objects{line, off};
  CBoundaryAlarms alarms;
  EXPECT_EQ(alarms.Update(Ship(-0.1, 0.5, 9), objects), Texts{});
  OwnShipInput lost = Ship(0.1, 0.5, 9);
  lost.fixValid = false;
  EXPECT_EQ(alarms.Update(lost, objects), Texts{});
  EXPECT_EQ(alarms.Update(Ship(0.1, 0.5, 9), objects), Texts{"Warning! Crossed boundary line!"});
  EXPECT_EQ(alarms.Update(Ship(0.1, 2.5, 9), objects), Texts{});
  EXPECT_EQ(alarms.Update(Ship(-0.1, 2.5, 9), objects), Texts{});
}

TEST(BoundaryAlarms, BoundaryCirclesAreLeftToTheRouteNavigator) {
  // The navigator announces circles once, with its alarm tone; raising them
  // here as well would announce every entry twice.
  auto circle = At(10, 10);
  circle->name = "Reef";
  circle->boundaryCircleOffLimits = kBoundaryCircleAnnounce;
  circle->rangeCircleRadius = Length{1, LengthUnit::NauticalMiles};
  std::vector<std::shared_ptr<CNavObject>> objects{circle};
  CBoundaryAlarms alarms;
  for (double lat : {10.05, 10.01, 10.0, 10.02})
    EXPECT_EQ(alarms.Update(Ship(lat, 10, 5), objects), Texts{});
}

TEST(BoundaryAlarms, GeometryAcrossTheDateLine) {
  EXPECT_TRUE(SegmentsIntersect({0, 179.9}, {0, -179.9}, {-1, 180}, {1, 180}));
  EXPECT_FALSE(SegmentsIntersect({0, 0}, {0, 1}, {1, 0}, {1, 1}));
  EXPECT_TRUE(PointInPolygon({0, 180}, {{-1, 179}, {-1, -179}, {1, -179}, {1, 179}}));
  EXPECT_FALSE(PointInPolygon({0, 0}, {{-1, 179}, {-1, -179}, {1, -179}, {1, 179}}));
}

}  // namespace
}  // namespace tarnwick
