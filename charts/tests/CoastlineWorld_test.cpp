// The world coastline files built from GSHHG: known places are land, lake or
// sea at every resolution, land covers its share of the globe, and a box around Paris
// gives land and shoreline as GeoJSON.

#include <gtest/gtest.h>

#include <cmath>
#include <nlohmann/json.hpp>
#include <set>

#include "charts/coastline/CoastlineFile.h"
#include "charts/coastline/CoastlineGeoJson.h"

namespace tarnwick {
namespace {

std::unique_ptr<CCoastlineFile> World(CoastResolution resolution) {
  std::string error;
  auto file = CCoastlineFile::Open(
      std::filesystem::path(TW_COASTLINE_DIR) / CoastFileName(resolution), error);
  EXPECT_TRUE(file) << error;
  return file;
}

TEST(CoastlineWorld, KnownPlacesAtEveryResolution) {
  struct Place {
    const char* name;
    LatLon at;
    int level;  // 0 sea, 1 land, 2 lake
  } const places[] = {
      {"Paris", {48.85, 2.35}, 1},
      {"mid-Atlantic", {40, -40}, 0},
      {"central Australia", {-25, 135}, 1},
      {"central Pacific", {0, -150}, 0},
      {"Greenland ice", {72, -40}, 1},
      {"Antarctica near the pole", {-89.5, 0}, 1},
      {"Antarctica east of 180", {-80, -179.9}, 1},
      {"Chukotka west of 180", {67.5, 179.5}, 1},
      {"Chukotka east of 180", {67.5, -179.5}, 1},
      {"Arctic Ocean at the pole", {89.9, 0}, 0},
      {"Caspian Sea", {42, 50.5}, 2},
      {"Lake Superior", {47.7, -87.5}, 2},
      {"Bay of Biscay", {45.5, -4}, 0},
      {"Gulf of Mexico", {25, -90}, 0},
      {"Sahara", {23, 10}, 1},
  };
  for (CoastResolution resolution : {CoastResolution::Crude, CoastResolution::Low,
                                     CoastResolution::Intermediate, CoastResolution::High}) {
    auto file = World(resolution);
    ASSERT_TRUE(file);
    EXPECT_EQ(file->Info().resolution, resolution);
    for (const Place& place : places) {
      EXPECT_EQ(file->LevelAt(place.at), place.level)
          << place.name << " in " << CoastFileName(resolution);
    }
  }
}

// Samples every 2 degrees, weighted by cell area: land (odd levels) covers
// about 29 % of the Earth, and the crude and low files agree nearly everywhere.
TEST(CoastlineWorld, LandShareOfTheGlobe) {
  auto crude = World(CoastResolution::Crude);
  auto low = World(CoastResolution::Low);
  ASSERT_TRUE(crude && low);
  double land = 0;
  double total = 0;
  int differ = 0;
  int samples = 0;
  for (double lat = -89; lat < 90; lat += 2) {
    for (double lon = -179; lon < 180; lon += 2) {
      const double weight = std::cos(lat * M_PI / 180);
      const int a = crude->LevelAt({lat, lon}) % 2;
      const int b = low->LevelAt({lat, lon}) % 2;
      land += a * weight;
      total += weight;
      differ += a != b;
      ++samples;
    }
  }
  EXPECT_NEAR(land / total, 0.288, 0.01);
  EXPECT_LT(static_cast<double>(differ) / samples, 0.02);
}

TEST(CoastlineWorld, ParisBoxGivesLandAndShore) {
  auto file = World(CoastResolution::Crude);
  ASSERT_TRUE(file);
  const auto collection = nlohmann::json::parse(CoastlineGeoJson(*file, {-6, 42, 10, 52}));
  std::set<std::string> kinds;
  for (const auto& feature : collection["features"]) kinds.insert(feature["properties"]["kind"]);
  EXPECT_TRUE(kinds.count("land"));
  EXPECT_TRUE(kinds.count("coast"));
}

}  // namespace
}  // namespace tarnwick
