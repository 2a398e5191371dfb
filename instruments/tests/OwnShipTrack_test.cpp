// Reading an instrument log that carries only times of day into timed lines
// and a track; interpolating and simplifying the track.

#include "instruments/ais/sim/OwnShipTrack.h"

#include <gtest/gtest.h>

#include <cmath>
#include <sstream>

#include "core/geo/Geodesy.h"

namespace tarnwick {
namespace {

constexpr int64_t kDay = 1'623'456'000'000;  // 2021-06-12T00:00:00Z

TEST(OwnShipTrack, TimesLinesFromTheSentencesTimesOfDay) {
  std::string log =
      "$IIDBT,034.25,f,010.44,M,005.64,F*27\n"  // before any time: takes the first one
      "$GPZDA,235958,,,,00,*4D\n"
      "$IIVTG,224.44,T,224.44,M,5.81,N,,,D*68\n"
      "# a comment\n"
      "\n"
      "$GPGLL,6005.071,N,02332.346,E,235959,A,D*43\n"
      "$GPGLL,6005.000,N,02332.000,E,000001,V,D*43\n"  // no fix: no position, no time
      "$GPRMC,000001.50,A,6004.500,N,02331.500,E,6.2,200.0,120621,,,A*00\n"
      "$GPZDA,235000,,,,00,*4D\n";  // backwards by less than 12 hours: kept at the last time
  for (int i = 0; i < 25; ++i) log += "$IIMWV,338,R,13.41,N,A*2C\n";
  std::istringstream in(log);
  const OwnShipLog result = ReadOwnShipLog(in, kDay);

  const int64_t t0 = kDay + (23 * 3600 + 59 * 60 + 58) * 1000LL;
  struct Row {
    size_t line;
    int64_t utcMs;
  };
  const Row rows[] = {
      {0, t0},                         // untimed start
      {1, t0},                         // ZDA itself
      {2, t0 + 50},                    // the next sentence of that second
      {3, t0 + 1000},                  // GLL: new second
      {4, t0 + 1050},                  // GLL without fix
      {5, kDay + 86'400'000 + 1500},   // RMC after midnight, with its fraction
      {6, kDay + 86'400'000 + 1550},   // ZDA going back: time stays
      {25, kDay + 86'400'000 + 2450},  // at most 950 ms after the time seen
  };
  ASSERT_EQ(result.lines.size(), 32U);
  for (const Row& row : rows)
    EXPECT_EQ(result.lines[row.line].utcMs, row.utcMs) << result.lines[row.line].line;
  EXPECT_EQ(result.lines.back().utcMs, kDay + 86'400'000 + 2450);

  ASSERT_EQ(result.fixes.size(), 2U);
  EXPECT_EQ(result.fixes[0].utcMs, t0 + 1000);
  EXPECT_NEAR(result.fixes[0].position.lat, 60 + 5.071 / 60, 1e-9);
  EXPECT_NEAR(result.fixes[0].position.lon, 23 + 32.346 / 60, 1e-9);
  EXPECT_DOUBLE_EQ(result.fixes[0].cogDeg, 224.44);  // from the VTG before it
  EXPECT_DOUBLE_EQ(result.fixes[0].sogKn, 5.81);
  EXPECT_DOUBLE_EQ(result.fixes[1].cogDeg, 200.0);  // RMC's own course and speed
  EXPECT_DOUBLE_EQ(result.fixes[1].sogKn, 6.2);

  std::istringstream none("$IIDBT,034.25,f,010.44,M,005.64,F*27\ngarbage\n");
  EXPECT_TRUE(ReadOwnShipLog(none, kDay).lines.empty()) << "no time of day: nothing to place";
}

TEST(OwnShipTrack, InterpolatesBetweenFixes) {
  const std::vector<OwnShipFix> track = {
      {1000, {60.0, 23.0}, 350, 4}, {3000, {60.2, 23.4}, 10, 8}, {5000, {60.2, 23.4}, 10, 8}};
  struct Row {
    int64_t utcMs;
    double lat, lon, cog, sog;
  };
  const Row rows[] = {
      {0, 60.0, 23.0, 350, 4},                                // before the track
      {1000, 60.0, 23.0, 350, 4}, {2000, 60.1, 23.2, 0, 6},   // the shorter turn through north
      {2500, 60.15, 23.3, 5, 7},  {9000, 60.2, 23.4, 10, 8},  // after the track
  };
  for (const Row& row : rows) {
    const OwnShipFix fix = OwnShipAt(track, row.utcMs);
    EXPECT_NEAR(fix.position.lat, row.lat, 1e-9) << row.utcMs;
    EXPECT_NEAR(fix.position.lon, row.lon, 1e-9) << row.utcMs;
    EXPECT_NEAR(std::fmod(fix.cogDeg + 360.0, 360.0), row.cog, 1e-9) << row.utcMs;
    EXPECT_NEAR(fix.sogKn, row.sog, 1e-9) << row.utcMs;
  }
}

TEST(OwnShipTrack, SimplifiesIntoAFewWaypoints) {
  // North for 6 nm, then east for 6 nm, with a little zigzag on both legs.
  std::vector<OwnShipFix> track;
  LatLon at{60.0, 23.0};
  for (int i = 0; i < 120; ++i) {
    const double bearing = (i < 60 ? 0.0 : 90.0) + (i % 2 == 0 ? 3.0 : -3.0);
    track.push_back({i * 1000LL, at, bearing, 6});
    at = DestinationPoint(at, 0.1, bearing);
  }
  track.push_back({120'000, at, 90, 6});

  const auto corner = SimplifyTrack(track, 0.2, 8);
  ASSERT_EQ(corner.size(), 3U);
  EXPECT_EQ(corner.front(), track.front().position);
  EXPECT_EQ(corner.back(), track.back().position);
  EXPECT_LT(Distance(corner[1], track[60].position), 0.15) << "the corner is kept";

  const auto two = SimplifyTrack(track, 0.01, 2);
  EXPECT_EQ(two.size(), 2U) << "the tolerance grows until the count fits";
  EXPECT_TRUE(SimplifyTrack({}, 0.2, 8).empty());
}

}  // namespace
}  // namespace tarnwick
