// GeoJSON of a box: the bbox text, clipping to the box, merging of land across
// cell borders and across 180, and the order and kinds of the features.

#include "charts/coastline/CoastlineGeoJson.h"

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "charts/coastline/CoastlineWriter.h"

namespace tarnwick {
namespace {

using json = nlohmann::json;
constexpr uint16_t U = 65535;

TEST(CoastlineGeoJson, BboxText) {
  struct Row {
    const char* text;
    std::optional<CoastBox> box;
  };
  const Row rows[] = {
      {"-10,40,5,52", CoastBox{-10, 40, 5, 52}},
      {"-180,-90,180,90", CoastBox{-180, -90, 180, 90}},
      {"170,-5,-170,5", CoastBox{170, -5, 190, 5}},  // across 180
      {"170,-5,190,5", CoastBox{170, -5, 190, 5}},
      {"-190,-5,-170,5", CoastBox{-190, -5, -170, 5}},
      {"1.5e1,0,20,1", CoastBox{15, 0, 20, 1}},
      {"0,0,0,1", std::nullopt},  // no width
      {"0,5,1,5", std::nullopt},  // no height
      {"0,6,1,5", std::nullopt},  // south above north
      {"0,-91,1,5", std::nullopt},
      {"0,0,1,90.5", std::nullopt},
      {"-600,0,1,1", std::nullopt},
      {"-180,0,181,1", std::nullopt},  // wider than the world
      {"0,0,1", std::nullopt},
      {"0,0,1,2,3", std::nullopt},
      {"a,0,1,2", std::nullopt},
      {"0,,1,2", std::nullopt},
      {"nan,0,1,2", std::nullopt},
      {"inf,0,1,2", std::nullopt},
      {"", std::nullopt},
  };
  for (const Row& row : rows) {
    const auto box = ParseCoastBbox(row.text);
    ASSERT_EQ(box.has_value(), row.box.has_value()) << row.text;
    if (!box) continue;
    EXPECT_DOUBLE_EQ(box->west, row.box->west) << row.text;
    EXPECT_DOUBLE_EQ(box->south, row.box->south) << row.text;
    EXPECT_DOUBLE_EQ(box->east, row.box->east) << row.text;
    EXPECT_DOUBLE_EQ(box->north, row.box->north) << row.text;
  }
}

// 20-degree cells. Land covers 0..40 E, 30..50 N over two cells with a lake
// inside the west one; an island straddles 180 between the cells of 160 E and
// 180 W at 10 S..10 N.
std::unique_ptr<CCoastlineFile> Sample() {
  CoastGrid grid = CoastGrid::Empty(CoastResolution::Crude, 1200);
  for (uint32_t column : {9u, 10u}) {
    grid.At(column, 6).polygons.push_back({1, {{0, 0}, {U, 0}, {U, U}, {0, U}}});
  }
  grid.At(9, 6).polygons.push_back(
      {2, {{16384, 16384}, {49151, 16384}, {49151, 49151}, {16384, 49151}}});
  grid.At(9, 6).lines.push_back({2, {{16384, 16384}, {49151, 16384}, {49151, 49151}}});
  grid.At(17, 4).polygons.push_back(
      {1, {{U - 3277, 29491}, {U, 29491}, {U, 36044}, {U - 3277, 36044}}});
  grid.At(0, 4).polygons.push_back({1, {{0, 29491}, {3277, 29491}, {3277, 36044}, {0, 36044}}});
  grid.At(17, 4).lines.push_back(
      {1, {{U, 29491}, {U - 3277, 29491}, {U - 3277, 36044}, {U, 36044}}});
  std::string error;
  return CCoastlineFile::FromBytes(EncodeCoastlineFile(grid), error);
}

struct Extent {
  double west = 1e9, south = 1e9, east = -1e9, north = -1e9;
};

Extent ExtentOf(const json& coordinates) {
  Extent e;
  std::function<void(const json&)> walk = [&](const json& node) {
    if (node.is_array() && node.size() == 2 && node[0].is_number()) {
      e.west = std::min(e.west, node[0].get<double>());
      e.east = std::max(e.east, node[0].get<double>());
      e.south = std::min(e.south, node[1].get<double>());
      e.north = std::max(e.north, node[1].get<double>());
      return;
    }
    for (const json& child : node) walk(child);
  };
  walk(coordinates);
  return e;
}

const json* Feature(const json& collection, const std::string& kind, int level) {
  for (const json& f : collection["features"]) {
    if (f["properties"]["kind"] == kind && f["properties"]["level"] == level) return &f;
  }
  return nullptr;
}

TEST(CoastlineGeoJson, LandIsMergedAcrossCellsAndClippedToTheBox) {
  auto file = Sample();
  ASSERT_TRUE(file);
  // Merged, the two cells form one polygon; cell by cell they stay two.
  for (const auto& [mergeLimit, pieces] :
       {std::pair<size_t, size_t>{kCoastMergeLimit, 1}, {0, 2}}) {
    SCOPED_TRACE(mergeLimit);
    const json collection = json::parse(CoastlineGeoJson(*file, {10, 40, 30, 60}, mergeLimit));
    ASSERT_EQ(collection["type"], "FeatureCollection");
    const json* land = Feature(collection, "land", 1);
    ASSERT_TRUE(land);
    EXPECT_EQ((*land)["geometry"]["type"], "MultiPolygon");
    ASSERT_EQ((*land)["geometry"]["coordinates"].size(), pieces);
    const json& ring = (*land)["geometry"]["coordinates"][0][0];
    EXPECT_EQ(ring.front(), ring.back()) << "rings are closed";
    const Extent e = ExtentOf((*land)["geometry"]["coordinates"]);
    EXPECT_DOUBLE_EQ(e.west, 10);
    EXPECT_DOUBLE_EQ(e.east, 30);
    EXPECT_DOUBLE_EQ(e.south, 40);
    EXPECT_DOUBLE_EQ(e.north, 50);
    // The lake (5..15 E, 35..45 N) clipped to the box.
    const json* lake = Feature(collection, "lake", 2);
    ASSERT_TRUE(lake);
    const Extent l = ExtentOf((*lake)["geometry"]["coordinates"]);
    EXPECT_NEAR(l.west, 10, 1e-6);
    EXPECT_NEAR(l.east, 15, 1e-3);
    EXPECT_NEAR(l.south, 40, 1e-6);
    EXPECT_NEAR(l.north, 45, 1e-3);
    const json* shore = Feature(collection, "coast", 2);
    ASSERT_TRUE(shore);
    EXPECT_EQ((*shore)["geometry"]["type"], "MultiLineString");
    // Drawing order: land, lake, then the lines.
    ASSERT_EQ(collection["features"].size(), 3u);
    EXPECT_EQ(collection["features"][0]["properties"]["kind"], "land");
    EXPECT_EQ(collection["features"][1]["properties"]["kind"], "lake");
    EXPECT_EQ(collection["features"][2]["properties"]["kind"], "coast");
  }
}

TEST(CoastlineGeoJson, IslandAcross180ComesOutInTheBoxLongitudes) {
  auto file = Sample();
  ASSERT_TRUE(file);
  struct Row {
    const char* bbox;
    double west, east;  // expected extent of the island
  } const rows[] = {
      {"170,-20,-170,20", 179, 181},    {"170,-20,190,20", 179, 181},
      {"-190,-20,-170,20", -181, -179}, {"175,-20,180,20", 179, 180},
      {"-180,-20,-175,20", -180, -179},
  };
  for (const Row& row : rows) {
    for (size_t mergeLimit : {kCoastMergeLimit, size_t{0}}) {
      const json collection =
          json::parse(CoastlineGeoJson(*file, *ParseCoastBbox(row.bbox), mergeLimit));
      const json* land = Feature(collection, "land", 1);
      ASSERT_TRUE(land) << row.bbox;
      if (mergeLimit > 0) {
        EXPECT_EQ((*land)["geometry"]["coordinates"].size(), 1u) << row.bbox;
      }
      const Extent e = ExtentOf((*land)["geometry"]["coordinates"]);
      EXPECT_NEAR(e.west, row.west, 1e-3) << row.bbox;
      EXPECT_NEAR(e.east, row.east, 1e-3) << row.bbox;
      EXPECT_NEAR(e.south, -1, 1e-3) << row.bbox;
      EXPECT_NEAR(e.north, 1, 1e-3) << row.bbox;
    }
  }
}

TEST(CoastlineGeoJson, EmptyBoxGivesAnEmptyCollection) {
  auto file = Sample();
  ASSERT_TRUE(file);
  const json collection = json::parse(CoastlineGeoJson(*file, {-60, -50, -30, -20}));
  EXPECT_TRUE(collection["features"].empty());
}

}  // namespace
}  // namespace tarnwick
