#include "core/geo/Geodesy.h"

#include <gtest/gtest.h>

#include <cmath>

namespace tarnwick {
namespace {

// Restores the process-wide sailing mode after a test that changes it.
class CSailingGuard {
 public:
  CSailingGuard() : saved_(SailingMode()) {}
  ~CSailingGuard() { SetSailingMode(saved_); }

 private:
  Sailing saved_;
};

struct PairRow {
  const char* name;
  LatLon a, b;
  double gcNm, gcDeg;  // reference values from the haversine formula
  double rlNm, rlDeg;  // and from the loxodrome d = dphi / cos(bearing)
};

// Independent spherical values (1 nm = 1 minute of arc), computed with
// formulas other than the ones under test.
const PairRow kPairs[] = {
    {"equator one degree east", {0, 0}, {0, 1}, 60.0, 90.0, 60.0, 90.0},
    {"meridian one degree north", {0, 0}, {1, 0}, 60.0, 0.0, 60.0, 0.0},
    {"quarter of the equator", {0, 0}, {0, 90}, 5400.0, 90.0, 5400.0, 90.0},
    {"due south", {10, 20}, {-10, 20}, 1200.0, 180.0, 1200.0, 180.0},
    {"due west", {0, 20}, {0, 10}, 600.0, 270.0, 600.0, 270.0},
    {"Land's End to John o' Groats",
     {50.0664, -5.7147},
     {58.6439, -3.07},
     522.786416424,
     9.119740395,
     522.817110829,
     10.140606725},
    {"New York to London",
     {40.7128, -74.006},
     {51.5074, -0.1278},
     3005.652693604,
     51.212616824,
     3126.466787063,
     78.044080868},
    {"Sydney to Wellington",
     {-33.86, 151.21},
     {-41.29, 174.78},
     1201.441505446,
     118.662983502,
     1204.639271592,
     111.719890642},
    {"across the 180th meridian eastward",
     {10, 179.5},
     {10, -179.5},
     59.088442566,
     89.913173774,
     59.088465181,
     90.0},
    {"across the 180th meridian westward",
     {60, -170},
     {55, 170},
     707.464148418,
     253.744766271,
     710.035111595,
     245.006571116},
};

TEST(Geodesy, DistanceAndBearingAgainstIndependentValues) {
  for (const PairRow& r : kPairs) {
    SCOPED_TRACE(r.name);
    EXPECT_NEAR(GreatCircleDistance(r.a, r.b), r.gcNm, 1e-6);
    EXPECT_NEAR(Distance(r.a, r.b, Sailing::GreatCircle), r.gcNm, 1e-6);
    EXPECT_NEAR(RhumbLineDistance(r.a, r.b), r.rlNm, 1e-6);
    EXPECT_NEAR(Distance(r.a, r.b, Sailing::RhumbLine), r.rlNm, 1e-6);
    EXPECT_NEAR(Bearing(r.a, r.b, Sailing::GreatCircle), r.gcDeg, 1e-7);
    EXPECT_NEAR(Bearing(r.a, r.b, Sailing::RhumbLine), r.rlDeg, 1e-7);
  }
}

TEST(Geodesy, EqualPointsAreExactlyZeroApart) {
  const LatLon points[] = {{0, 0},     {47.6083, -122.335}, {90, 0},
                           {-90, 123}, {12.5, 180},         {-33.3, -180}};
  for (const LatLon& p : points) {
    EXPECT_EQ(GreatCircleDistance(p, p), 0.0) << p.lat << "," << p.lon;
    EXPECT_EQ(RhumbLineDistance(p, p), 0.0) << p.lat << "," << p.lon;
    const double b = Bearing(p, p, Sailing::RhumbLine);
    EXPECT_TRUE(b >= 0.0 && b < 360.0);
  }
}

TEST(Geodesy, NearlyEqualPointsNeverGiveNaN) {
  const LatLon a{47.123456789, -122.987654321};
  const LatLon b{47.123456789, -122.987654321 + 1e-13};
  EXPECT_FALSE(std::isnan(GreatCircleDistance(a, b)));
  EXPECT_LT(GreatCircleDistance(a, b), 1e-3);
}

TEST(Geodesy, EastWestRhumbLineUsesTheStartLatitude) {
  // Parallel sailing: departure = dlon * cos(lat).
  EXPECT_NEAR(RhumbLineDistance({60, 0}, {60, 2}), 60.0, 1e-9);
  EXPECT_NEAR(RhumbLineDistance({-60, 10}, {-60, 8}), 60.0, 1e-9);
  // A latitude difference below the threshold still counts as parallel.
  EXPECT_NEAR(RhumbLineDistance({60, 0}, {60 + 1e-7, 2}), 60.0, 1e-5);
}

TEST(Geodesy, BearingsStayInZeroTo360AndDueNorthIsZero) {
  struct Row {
    LatLon a, b;
    double expected;
  } rows[] = {
      {{10, 20}, {11, 20}, 0.0},
      {{-45, -170}, {-44, -170}, 0.0},
      {{0, 0}, {-1, 0}, 180.0},
      {{0, 0}, {0, -1}, 270.0},
      {{0, 0}, {1e-6, -1e-9}, 359.94270422049429},
  };
  for (const Row& r : rows) {
    for (Sailing s : {Sailing::GreatCircle, Sailing::RhumbLine}) {
      const double b = Bearing(r.a, r.b, s);
      EXPECT_GE(b, 0.0);
      EXPECT_LT(b, 360.0);
      EXPECT_NEAR(b, r.expected, 1e-6)
          << r.a.lat << "," << r.a.lon << " -> " << r.b.lat << "," << r.b.lon;
    }
  }
  EXPECT_EQ(NormalizeBearing(360.0), 0.0);
  EXPECT_EQ(NormalizeBearing(-1e-20), 0.0);
  EXPECT_EQ(NormalizeBearing(-90.0), 270.0);
  EXPECT_EQ(NormalizeBearing(725.0), 5.0);
}

TEST(Geodesy, DestinationPoint) {
  struct Row {
    const char* name;
    LatLon start;
    double nm, deg;
    LatLon expected;
  } rows[] = {
      {"east along the equator", {0, 0}, 60, 90, {0, 1}},
      {"north along a meridian", {10, 20}, 120, 0, {12, 20}},
      {"over the pole", {89, 0}, 120, 0, {89, -180}},
      {"across the 180th meridian", {0, 179.5}, 60, 90, {0, -179.5}},
      {"west across the 180th meridian", {0, -179.5}, 60, 270, {0, 179.5}},
      {"zero distance", {47.5, -122.25}, 0, 123, {47.5, -122.25}},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.name);
    const LatLon p = DestinationPoint(r.start, r.nm, r.deg);
    EXPECT_NEAR(p.lat, r.expected.lat, 1e-9);
    EXPECT_NEAR(p.lon, r.expected.lon, 1e-9);
  }
}

// Going the great-circle distance on the initial bearing arrives at the target.
TEST(Geodesy, DestinationInvertsDistanceAndBearing) {
  for (const PairRow& r : kPairs) {
    SCOPED_TRACE(r.name);
    const LatLon p =
        DestinationPoint(r.a, GreatCircleDistance(r.a, r.b), GreatCircleBearing(r.a, r.b));
    EXPECT_NEAR(p.lat, r.b.lat, 1e-8);
    EXPECT_NEAR(p.lon, r.b.lon, 1e-8);
  }
}

TEST(Geodesy, CrossTrackDistanceIsPositiveToTheRight) {
  struct Row {
    const char* name;
    LatLon start, end, point;
    Sailing sailing;
    double expected;
  } rows[] = {
      {"left of an eastward track", {0, 0}, {0, 10}, {1, 5}, Sailing::GreatCircle, -60.0},
      {"right of an eastward track", {0, 0}, {0, 10}, {-1, 5}, Sailing::GreatCircle, 60.0},
      {"on the track", {0, 0}, {0, 10}, {0, 5}, Sailing::GreatCircle, 0.0},
      {"at the start", {0, 0}, {0, 10}, {0, 0}, Sailing::RhumbLine, 0.0},
      {"right of a northward track, rhumb",
       {0, 0},
       {10, 0},
       {5, 1},
       Sailing::RhumbLine,
       59.847759333849},
      {"left of a southward track",
       {10, 0},
       {0, 0},
       {5, 1},
       Sailing::GreatCircle,
       -59.771658831656},
      {"track across the 180th meridian",
       {0, 179},
       {0, -179},
       {-0.5, 179.5},
       Sailing::GreatCircle,
       30.0},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.name);
    const double xte = CrossTrackDistance(r.start, r.end, r.point, r.sailing);
    EXPECT_NEAR(xte, r.expected, 1e-8);
    CSailingGuard guard;
    SetSailingMode(r.sailing);
    EXPECT_NEAR(AbsoluteCrossTrackDistance(r.start, r.end, r.point), std::fabs(r.expected), 1e-8);
  }
}

}  // namespace
}  // namespace tarnwick
