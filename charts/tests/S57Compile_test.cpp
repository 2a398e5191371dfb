// Compiling a crafted S-57 cell: areas chained from edges listed out of
// order, separate and interior rings, reversed edges in lines, points with
// QUAPOS, soundings with depths, attributes, class code compaction, and
// features whose geometry is faulty kept without it.

#include <gtest/gtest.h>

#include "charts/s57/S57ChartReader.h"
#include "charts/tests/support/S57Writer.h"
#include "core/Log.h"
#include "core/geo/Mercator.h"

namespace tarnwick {
namespace {

using testing::Pointer;
using testing::S57Writer;

// The degrees of a compiled (projected) part.
std::vector<std::pair<double, double>> Degrees(const S57GeometryPart& part) {
  std::vector<std::pair<double, double>> out;
  for (size_t i = 0; i < part.Count(); ++i) {
    const auto geo = MercatorInverse(part.xy[2 * i], part.xy[2 * i + 1]);
    out.push_back({std::round(geo->lon * 1e7) / 1e7, std::round(geo->lat * 1e7) / 1e7});
  }
  return out;
}

// Outer square 0..1 (edge 11 bends through 0.5,-0.1), an inner square
// 0.25..0.75 and a separate square 2..3; an isolated point and soundings.
S57Writer CraftedCell() {
  S57Writer w;
  w.Dsid(1, 0).Dspm(10000000, 10);
  const double corners[4][2] = {{0, 0}, {1, 0}, {1, 1}, {0, 1}};
  for (uint32_t i = 0; i < 4; ++i) {
    w.Node(120, 1 + i, corners[i][0], corners[i][1]);
    w.Node(120, 21 + i, 0.25 + corners[i][0] / 2, 0.25 + corners[i][1] / 2);
    w.Node(120, 41 + i, 2 + corners[i][0], 2 + corners[i][1]);
  }
  w.Edge(11, 1, 2, {{0.5, -0.1}}, 4).Edge(12, 2, 3).Edge(13, 3, 4).Edge(14, 4, 1);
  w.Edge(31, 21, 22).Edge(32, 22, 23).Edge(33, 23, 24).Edge(34, 24, 21);
  w.Edge(51, 41, 42).Edge(52, 42, 43).Edge(53, 43, 44).Edge(54, 44, 41);
  w.Node(110, 100, 0.5, 0.5, 4);
  w.Soundings(101, {{0.1, 0.2, 12.3}, {0.3, 0.4, -1.5}});
  w.Feature(1, 3, 42, {{87, "5.5"}},
            {{130, 13}, {130, 11}, {130, 14}, {130, 12}, {130, 31, 1, 2}, {130, 32, 1, 2},
             {130, 33, 1, 2}, {130, 34, 1, 2}});
  w.Feature(2, 3, 71, {}, {{130, 11}, {130, 12}, {130, 13}, {130, 14}, {130, 51}, {130, 52},
                           {130, 53}, {130, 54}});
  w.Feature(3, 2, 30, {}, {{130, 12, 2}, {130, 11, 2}});
  w.Feature(4, 1, 17, {{75, "3,4"}, {133, "22000"}, {116, "B\xE4k"}}, {{110, 100}});
  w.Feature(5, 1, 129, {}, {{110, 101}});
  w.Feature(6, 255, 400, {{116, "group"}}, {});
  w.Feature(7, 3, 17001, {}, {{130, 51}, {130, 52}, {130, 53}, {130, 54}});
  w.Feature(8, 1, 17, {}, {{110, 999}});
  w.Feature(9, 3, 42, {}, {{120, 1}});
  return w;
}

std::vector<S57Feature> CompileBytes(const S57Writer& writer, std::vector<std::string>* log = nullptr) {
  ::tarnwick::testing::CTempFolder folder;
  writer.Write(folder / "TEST0001.000");
  CLogCapture capture;
  std::string error;
  CS57ChartReader reader(folder / "senc");
  auto cell = reader.Compile(folder / "TEST0001.000", true, error);
  EXPECT_TRUE(cell) << error;
  if (log) *log = capture.Lines();
  return cell ? cell->features : std::vector<S57Feature>{};
}

TEST(S57Compile, CraftedCellFeatures) {
  std::vector<std::string> log;
  const auto f = CompileBytes(CraftedCell(), &log);
  ASSERT_EQ(f.size(), 9u);
  using Ring = std::vector<std::pair<double, double>>;

  // Edges listed out of order close into one ring that starts at the first
  // listed; the edge with USAG 2 starts an interior ring.
  ASSERT_EQ(f[0].parts.size(), 2u);
  EXPECT_EQ(Degrees(f[0].parts[0]),
            (Ring{{1, 1}, {0, 1}, {0, 0}, {0.5, -0.1}, {1, 0}, {1, 1}}));
  EXPECT_FALSE(f[0].parts[0].interior);
  EXPECT_EQ(f[0].parts[0].quapos, 0);
  EXPECT_TRUE(f[0].parts[1].interior);
  EXPECT_EQ(f[0].parts[1].Count(), 5u);
  // Two separate rings are two parts, each closed.
  ASSERT_EQ(f[1].parts.size(), 2u);
  EXPECT_EQ(f[1].parts[0].quapos, 4);  // from its first edge
  EXPECT_EQ(Degrees(f[1].parts[1]).front(), Degrees(f[1].parts[1]).back());
  // A line of two reversed edges.
  ASSERT_EQ(f[2].parts.size(), 1u);
  EXPECT_EQ(Degrees(f[2].parts[0]), (Ring{{1, 1}, {1, 0}, {0.5, -0.1}, {0, 0}}));
  // A point with its node's QUAPOS, attributes as text (ISO 8859-1 as UTF-8).
  EXPECT_EQ(Degrees(f[3].parts[0]), (Ring{{0.5, 0.5}}));
  EXPECT_EQ(f[3].parts[0].quapos, 4);
  EXPECT_EQ(f[3].scamin, 22000);
  ASSERT_EQ(f[3].attributes.size(), 3u);
  EXPECT_EQ(f[3].AttributeValue(0), "3,4");
  EXPECT_EQ(f[3].AttributeValue(2), "B\xC3\xA4k");
  // Soundings: one part with depths VE3D / SOMF.
  ASSERT_EQ(f[4].parts.size(), 1u);
  EXPECT_TRUE(f[4].parts[0].hasDepths);
  EXPECT_EQ(Degrees(f[4].parts[0]), (Ring{{0.1, 0.2}, {0.3, 0.4}}));
  EXPECT_EQ(f[4].parts[0].depths, (std::vector<double>{12.3, -1.5}));
  // No geometry: a collection, a point without its node, an area on a node.
  for (size_t i : {5u, 7u, 8u}) {
    EXPECT_TRUE(f[i].parts.empty()) << i;
    EXPECT_TRUE(f[i].box.Empty()) << i;
  }
  EXPECT_EQ(f[5].AttributeValue(0), "group");
  EXPECT_EQ(f[6].classCode, 513);  // 17001
  EXPECT_EQ(ExpandClassCode(f[6].classCode), 17001);
  EXPECT_EQ(CompactClassCode(18001), 641);
  for (const char* line : {"Cannot find point", "Missing edge!", "Non-spatial object: C_AGGR"})
    EXPECT_NE(std::find(log.begin(), log.end(), line), log.end()) << line;
  // The box of the area holds its bent edge.
  const auto south = MercatorForward(-0.1, 0.5);
  EXPECT_DOUBLE_EQ(f[0].box.south, south.y);
}

TEST(S57Compile, MissingOrZeroMultiplicationFactorsDivideByOne) {
  S57Writer w(0);
  w.Dsid(1, 0).Dspm(0, 0).Node(110, 1, 3, 4).Soundings(2, {{5, 6, 7}}, 1);
  w.Feature(1, 1, 17, {}, {{110, 1}}).Feature(2, 1, 129, {}, {{110, 2}});
  const auto f = CompileBytes(w);
  ASSERT_EQ(f.size(), 2u);
  EXPECT_EQ(Degrees(f[0].parts[0]), (std::vector<std::pair<double, double>>{{3, 4}}));
  EXPECT_EQ(f[1].parts[0].depths, (std::vector<double>{7}));
}

}  // namespace
}  // namespace tarnwick
