// Assembly of GSHHG's binned shorelines into our cells: the packed fields,
// land and lake regions joined along the bin border (including segments that
// end on corners and several pieces in one bin), whole bins decided by their
// corners, and the checks and bin placement of the whole conversion.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "charts/coastline/GshhgBins.h"

namespace tarnwick {
namespace {

constexpr uint16_t U = 65535;
constexpr double kFull = 65535.0 * 65535.0;

// Signed area in cell units squared: positive for counter-clockwise rings.
double Area(const std::vector<CoastPoint>& ring) {
  double twice = 0;
  for (size_t i = 0; i < ring.size(); ++i) {
    const CoastPoint& a = ring[i];
    const CoastPoint& b = ring[(i + 1) % ring.size()];
    twice += static_cast<double>(a.x) * b.y - static_cast<double>(b.x) * a.y;
  }
  return twice / 2;
}

GshhgSegment Open(uint8_t level, uint8_t entry, uint8_t exit, std::vector<CoastPoint> points) {
  return {level, entry, exit, std::move(points)};
}

struct Ring {
  uint8_t level;
  double area;  // cell units squared
};

TEST(CoastlineGshhg, PackedFields) {
  const GshhgSegmentInfo info = DecodeSegmentInfo((25 << 9) | (2 << 6) | (3 << 3) | 1);
  EXPECT_EQ(info.points, 25u);
  EXPECT_EQ(info.level, 2);
  EXPECT_EQ(info.entry, kSideWest);
  EXPECT_EQ(info.exit, kSideEast);
  EXPECT_EQ(DecodeSegmentInfo((100000 << 9) | (1 << 6) | (4 << 3) | 4).points, 100000u);

  struct Row {
    int16_t packed;
    std::array<uint8_t, 4> corners;  // SW, SE, NE, NW
  } const rows[] = {
      {0x000, {0, 0, 0, 0}}, {0x249, {1, 1, 1, 1}}, {0x240, {1, 1, 0, 0}},
      {0x040, {0, 1, 0, 0}}, {0x492, {2, 2, 2, 2}}, {0xDB6, {1, 1, 1, 1}},  // 6 = Antarctic: land
  };
  for (const Row& row : rows) EXPECT_EQ(DecodeCornerLevels(row.packed), row.corners) << row.packed;
}

TEST(CoastlineGshhg, BinsAssembleIntoRegionsOfEachLevel) {
  struct Case {
    const char* name;
    GshhgBin bin;
    std::vector<Ring> rings;  // expected polygons in order
    size_t lines;
  };
  const Case cases[] = {
      {"open sea", {{0, 0, 0, 0}, {}}, {}, 0},
      {"all land", {{1, 1, 1, 1}, {}}, {{1, kFull}}, 0},
      {"land in the west half: south to north, land on the left",
       {{1, 0, 0, 1}, {Open(1, kSideSouth, kSideNorth, {{30000, 0}, {30000, U}})}},
       {{1, 30000.0 * U}},
       1},
      {"peninsula from the south side",
       {{0, 0, 0, 0},
        {Open(1, kSideSouth, kSideSouth,
              {{40000, 0}, {40000, 30000}, {20000, 30000}, {20000, 0}})}},
       {{1, 20000.0 * 30000}},
       1},
      {"inlet from the south side: land all round it",
       {{1, 1, 1, 1},
        {Open(1, kSideSouth, kSideSouth,
              {{20000, 0}, {20000, 30000}, {40000, 30000}, {40000, 0}})}},
       {{1, kFull - 20000.0 * 30000}},
       1},
      {"two corners of land in one bin",
       {{1, 0, 1, 0},
        {Open(1, kSideSouth, kSideWest, {{20000, 0}, {0, 20000}}),
         Open(1, kSideNorth, kSideEast, {{45000, U}, {U, 45000}})}},
       {{1, 20000.0 * 20000 / 2}, {1, 20535.0 * 20535 / 2}},
       2},
      {"diagonal from corner to corner",
       {{1, 0, 1, 1}, {Open(1, kSideSouth, kSideNorth, {{0, 0}, {U, U}})}},
       {{1, kFull / 2}},
       1},
      {"lake in the east half below land everywhere",
       {{1, 2, 2, 1}, {Open(2, kSideSouth, kSideNorth, {{30000, 0}, {30000, U}})}},
       {{1, kFull}, {2, (U - 30000.0) * U}},
       1},
      {"island ring in the sea",
       {{0, 0, 0, 0},
        {Open(1, kSideNone, kSideNone, {{100, 100}, {200, 100}, {200, 200}, {100, 200}})}},
       {{1, 10000}},
       1},
      {"lake ring (clockwise in the source) turned counter-clockwise",
       {{1, 1, 1, 1},
        {Open(2, kSideNone, kSideNone, {{100, 100}, {100, 200}, {200, 200}, {200, 100}})}},
       {{1, kFull}, {2, 10000}},
       1},
      {"too short segment is ignored",
       {{0, 0, 0, 0}, {Open(1, kSideSouth, kSideSouth, {{5, 0}})}},
       {},
       0},
  };
  for (const Case& c : cases) {
    const CoastCell cell = AssembleBin(c.bin);
    ASSERT_EQ(cell.polygons.size(), c.rings.size()) << c.name;
    for (size_t i = 0; i < c.rings.size(); ++i) {
      EXPECT_EQ(cell.polygons[i].level, c.rings[i].level) << c.name << " ring " << i;
      EXPECT_NEAR(Area(cell.polygons[i].points), c.rings[i].area, 1.0) << c.name << " ring " << i;
    }
    EXPECT_EQ(cell.lines.size(), c.lines) << c.name;
  }
}

TEST(CoastlineGshhg, LinesKeepTheShoreAndCloseRings) {
  GshhgBin bin{{0, 0, 0, 0},
               {Open(1, kSideSouth, kSideSouth, {{40000, 0}, {40000, 30000}, {20000, 0}}),
                Open(1, kSideNone, kSideNone, {{100, 100}, {200, 100}, {200, 200}})}};
  const CoastCell cell = AssembleBin(bin);
  ASSERT_EQ(cell.lines.size(), 2u);
  EXPECT_EQ(cell.lines[0].points, bin.segments[0].points);  // no border edge added
  ASSERT_EQ(cell.lines[1].points.size(), 4u);
  EXPECT_EQ(cell.lines[1].points.front(), cell.lines[1].points.back());
}

// A 20-degree set (18 x 9 bins) with one segment in GSHHG bin 0 (0..20 E,
// 70..90 N) and one grounding-line segment in the last bin.
GshhgArrays SmallSet() {
  GshhgArrays a;
  a.binMinutes = 1200;
  a.columns = 18;
  a.rows = 9;
  a.binFirstSegment.assign(162, 0);
  a.binSegmentCount.assign(162, 0);
  a.binCornerLevels.assign(162, 0);
  a.binSegmentCount[0] = 1;
  a.binFirstSegment[161] = 1;
  a.binSegmentCount[161] = 1;
  a.binCornerLevels[161] = 0x249;
  a.segmentInfo = {(3 << 9) | (1 << 6) | (4 << 3) | 4, (2 << 9) | (6 << 6) | (0 << 3) | 0};
  a.segmentFirstPoint = {0, 3};
  a.segmentAntarctic = {0, 0};
  a.pointX = {100, 200, 200, 10, 20};
  a.pointY = {100, 100, 200, 0, 0};
  return a;
}

TEST(CoastlineGshhg, ConversionPlacesBinsFromTheSouthWestAndSkipsTheGroundingLine) {
  const GshhgConversion result = ConvertGshhg(SmallSet(), CoastResolution::Crude);
  ASSERT_TRUE(result.ok) << result.error;
  EXPECT_EQ(result.segmentsSkipped, 1u);
  ASSERT_EQ(result.grid.cells.size(), 162u);
  // GSHHG bin 0 (0 E, 70 N) is our column 9 (0 E), row 8 (70 N).
  CoastGrid grid = result.grid;
  EXPECT_EQ(grid.At(9, 8).polygons.size(), 1u);
  EXPECT_EQ(grid.At(9, 8).lines.size(), 1u);
  // The last GSHHG bin (340 E, 90 S) is our column 8 (20 W), row 0: all land by its corners.
  ASSERT_EQ(grid.At(8, 0).polygons.size(), 1u);
  EXPECT_TRUE(grid.At(8, 0).lines.empty());
  size_t parts = 0;
  for (const CoastCell& cell : grid.cells) parts += cell.polygons.size() + cell.lines.size();
  EXPECT_EQ(parts, 3u);
}

TEST(CoastlineGshhg, ConversionRefusesInconsistentArrays) {
  struct Row {
    const char* name;
    void (*damage)(GshhgArrays&);
    const char* reason;
  } const rows[] = {
      {"bin size zero", [](GshhgArrays& a) { a.binMinutes = 0; }, "bin grid"},
      {"bin size not dividing", [](GshhgArrays& a) { a.binMinutes = 700; }, "bin grid"},
      {"wrong column count", [](GshhgArrays& a) { a.columns = 17; }, "bin grid"},
      {"short bin array", [](GshhgArrays& a) { a.binCornerLevels.pop_back(); }, "bin arrays"},
      {"segment arrays differ", [](GshhgArrays& a) { a.segmentFirstPoint.pop_back(); }, "differ"},
      {"point arrays differ", [](GshhgArrays& a) { a.pointY.pop_back(); }, "differ"},
      {"segments past the end", [](GshhgArrays& a) { a.binSegmentCount[0] = 5; }, "outside"},
      {"negative first segment", [](GshhgArrays& a) { a.binFirstSegment[0] = -1; }, "outside"},
      {"points past the end", [](GshhgArrays& a) { a.segmentFirstPoint[0] = 4; }, "outside"},
      {"negative first point", [](GshhgArrays& a) { a.segmentFirstPoint[1] = -3; }, "outside"},
  };
  for (const Row& row : rows) {
    GshhgArrays arrays = SmallSet();
    row.damage(arrays);
    const GshhgConversion result = ConvertGshhg(arrays, CoastResolution::Crude);
    EXPECT_FALSE(result.ok) << row.name;
    EXPECT_NE(result.error.find(row.reason), std::string::npos) << row.name << ": " << result.error;
  }
}

}  // namespace
}  // namespace tarnwick
