#include "core/geo/Mercator.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

#include "core/geo/Geodesy.h"

namespace tarnwick {
namespace {

struct ProjRow {
  double lat, lon;
  double x, y;  // metres
};

// Reference values from PROJ 9.1.1:
//   cs2cs -f "%.6f" +proj=longlat +datum=WGS84 +to +proj=merc +datum=WGS84 -r
const ProjRow kProj[] = {
    {0, 0, 0.0, 0.0},
    {45, 10, 1113194.907933, 5591295.918553},
    {-33.856, 151.215, 16833176.800305, -3985679.004278},
    {60.5, -179.9, -20026376.393710, 8474683.519799},
    {89.9, 45, 5009377.085697, 44884542.157175},
    {-89, -120, -13358338.895193, -30198185.169877},
    {47.6083, -122.335, -13618269.906195, 6010362.588939},
};

TEST(Mercator, ForwardMatchesProj) {
  for (const ProjRow& r : kProj) {
    const MercatorPoint p = MercatorForward(r.lat, r.lon);
    EXPECT_NEAR(p.x, r.x, 1e-5) << r.lat << "," << r.lon;
    EXPECT_NEAR(p.y, r.y, 1e-5) << r.lat << "," << r.lon;
    const MercatorPoint q = MercatorForwardRadians(r.lat * kDegToRad, r.lon * kDegToRad);
    EXPECT_EQ(p.x, q.x);
    EXPECT_EQ(p.y, q.y);
  }
}

TEST(Mercator, InverseMatchesProjAndRoundTrips) {
  for (const ProjRow& r : kProj) {
    const std::optional<LatLon> pos = MercatorInverse(r.x, r.y);
    ASSERT_TRUE(pos.has_value()) << r.lat << "," << r.lon;
    EXPECT_NEAR(pos->lat, r.lat, 1e-9);
    EXPECT_NEAR(pos->lon, r.lon, 1e-9);
    const std::optional<GeoRadians> rad = MercatorInverseRadians(r.x, r.y);
    ASSERT_TRUE(rad.has_value());
    EXPECT_NEAR(rad->lat, r.lat * kDegToRad, 1e-11);
  }
}

TEST(Mercator, LongitudesFoldIntoOneTurn) {
  const double a = 6378137.0;
  struct Row {
    double lonIn, lonOut;
  } rows[] = {{190, -170}, {-190, 170}, {540, 180},   {-540, -180},
              {720, 0},    {180, 180},  {-180, -180}, {359, -1}};
  for (const Row& r : rows) {
    EXPECT_NEAR(MercatorForward(0, r.lonIn).x, a * r.lonOut * kDegToRad, 1e-6) << r.lonIn;
    const auto back = MercatorInverse(a * r.lonIn * kDegToRad, 0);
    ASSERT_TRUE(back.has_value());
    // +180 and -180 are the same meridian; rounding may give either.
    EXPECT_NEAR(std::remainder(back->lon - r.lonOut, 360.0), 0.0, 1e-9) << r.lonIn;
  }
}

TEST(Mercator, PolesAreClampedToFiniteValues) {
  const MercatorPoint north = MercatorForward(90, 0);
  const MercatorPoint south = MercatorForward(-90, 0);
  ASSERT_TRUE(std::isfinite(north.y));
  ASSERT_TRUE(std::isfinite(south.y));
  EXPECT_GT(north.y, 44884542.157175);  // beyond 89.9 N
  EXPECT_NEAR(north.y, -south.y, 1e-6 * north.y);
  // Within 1e-10 rad of the pole is the same clamped value.
  EXPECT_EQ(MercatorForwardRadians(kPi / 2 - 1e-11, 0).y, north.y);
}

TEST(Mercator, BatchEqualsSinglePoints) {
  std::vector<LatLon> points;
  for (const ProjRow& r : kProj) points.push_back({r.lat, r.lon});
  std::vector<MercatorPoint> out(points.size());
  MercatorForward(points, out);
  for (size_t i = 0; i < points.size(); ++i) {
    const MercatorPoint p = MercatorForward(points[i].lat, points[i].lon);
    EXPECT_EQ(out[i].x, p.x);
    EXPECT_EQ(out[i].y, p.y);
  }
  // A short output span is filled only as far as it reaches.
  std::vector<MercatorPoint> shortOut(2, MercatorPoint{-1, -1});
  MercatorForward(points, std::span<MercatorPoint>(shortOut.data(), 1));
  EXPECT_EQ(shortOut[1].x, -1.0);
}

TEST(Mercator, InverseFailsOnInputThatCannotConverge) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  EXPECT_FALSE(MercatorInverse(0, nan).has_value());
  EXPECT_FALSE(MercatorInverseRadians(0, nan).has_value());
}

}  // namespace
}  // namespace tarnwick
