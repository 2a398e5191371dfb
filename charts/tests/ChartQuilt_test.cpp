// Quilting over crafted coverages: the order of the layers (larger scale on
// top, vector over raster at equal scales, unknown scales at the bottom), the
// part of the view each shows, charts hidden under larger scales or too
// detailed for the display scale left out, and a chart placed one world
// width away. And the coverage's regions: holes, areas, the catalogue's bytes.

#include "charts/library/ChartQuilt.h"

#include <gtest/gtest.h>

#include <memory>

namespace tarnwick {
namespace {

std::shared_ptr<const ChartCoverage> Square(double west, double south, double east, double north) {
  return std::make_shared<const ChartCoverage>(ChartCoverage::FromBox({west, south, east, north}));
}

TEST(ChartQuilt, LayersOrderAndVisibleParts) {
  const std::vector<QuiltCandidate> candidates = {
      {1, ChartKind::kVector, 50000, Square(0, 0, 100, 100), 0},  // general
      {2, ChartKind::kVector, 10000, Square(20, 20, 60, 60), 0},  // harbour
      {3, ChartKind::kKap, 10000, Square(50, 20, 90, 60), 0},     // raster at the same scale
      {4, ChartKind::kGeoTiff, 0, Square(0, 0, 100, 100), 0},     // an image of unknown scale
  };
  struct Layer {
    int64_t id;
    double area;
  };
  struct Row {
    MercatorBox view;
    double scale;
    std::vector<Layer> bottomFirst;
    const char* what;
  } rows[] = {
      {{0, 0, 100, 100},
       20000,
       {{1, 7200}, {3, 1200}, {2, 1600}},
       "the harbour over the raster over the general chart"},
      {{30, 30, 40, 40}, 20000, {{2, 100}}, "inside the harbour chart only it is drawn"},
      {{0, 0, 100, 100}, 200000, {{1, 10000}}, "zoomed out, the harbour scales are left out"},
      {{0, 0, 100, 100}, 1e7, {{4, 10000}}, "far out only the image of unknown scale is left"},
      {{200, 200, 300, 300}, 20000, {}, "nothing there"},
  };
  for (const Row& row : rows) {
    const auto layers = QuiltView(candidates, row.view, row.scale, 8.0);
    ASSERT_EQ(layers.size(), row.bottomFirst.size()) << row.what;
    for (size_t i = 0; i < layers.size(); ++i) {
      EXPECT_EQ(candidates[layers[i].candidate].id, row.bottomFirst[i].id) << row.what << " " << i;
      EXPECT_NEAR(RegionArea(layers[i].visible), row.bottomFirst[i].area, 1e-3)
          << row.what << " " << i;
    }
  }
}

TEST(ChartQuilt, ChartPlacedOneWorldWidthAway) {
  // A chart east of the antimeridian seen from a view west of it.
  const std::vector<QuiltCandidate> candidates = {
      {7, ChartKind::kVector, 20000, Square(-100, 0, 100, 50), 1000}};
  const auto layers = QuiltView(candidates, {950, 10, 1050, 40}, 20000, 8.0);
  ASSERT_EQ(layers.size(), 1u);
  EXPECT_NEAR(RegionArea(layers[0].visible), 100 * 30, 1e-3);
  EXPECT_TRUE(RegionContains(layers[0].visible, {1000, 20}));
}

TEST(ChartCoverage, HolesAreasAndStoredBytes) {
  const ChartRegion withHole = {{{0, 0}, {10, 0}, {10, 10}, {0, 10}},
                                {{4, 4}, {6, 4}, {6, 6}, {4, 6}}};
  const ChartCoverage coverage = ChartCoverage::FromRings(withHole);
  EXPECT_TRUE(coverage.Contains({1, 1}));
  EXPECT_FALSE(coverage.Contains({5, 5}));  // in the hole
  EXPECT_FALSE(coverage.Contains({11, 5}));
  EXPECT_EQ(coverage.box.east, 10);
  EXPECT_NEAR(RegionArea(withHole), 96, 1e-6);
  EXPECT_NEAR(RegionArea(UniteRegions(BoxRegion({0, 0, 10, 10}), BoxRegion({5, 0, 15, 10}))), 150,
              1e-6);
  EXPECT_NEAR(RegionArea(SubtractRegions(BoxRegion({0, 0, 10, 10}), withHole)), 4, 1e-6);

  const std::string bytes = EncodeRegion(withHole);
  const ChartRegion back = DecodeRegion(bytes);
  ASSERT_EQ(back.size(), 2u);
  EXPECT_EQ(back[1][2].x, 6);
  EXPECT_EQ(back[1][2].y, 6);
  for (const size_t cut : {size_t{0}, size_t{3}, size_t{8}, bytes.size() - 1})
    EXPECT_TRUE(DecodeRegion(std::string_view(bytes).substr(0, cut)).empty()) << cut;
  EXPECT_TRUE(DecodeRegion(bytes + "x").empty());
}

}  // namespace
}  // namespace tarnwick
