// The tile route against a real server on a loopback port, over a crude
// coastline and no charts: PNG answers by scheme, the ETag of the drawing's
// key and 304 for it, refusals of bad tiles and schemes; and the tile
// service's caches: one drawing for many simultaneous requests, tiles read
// back from disk by a new service, and older keys' folders dropped when the
// settings change.

#include "server/ChartTileRoutes.h"

#include <gtest/gtest.h>
#include <httplib.h>

#include <thread>
#include <vector>

#include "charts/coastline/CoastlineWriter.h"
#include "core/tests/support/TestSupport.h"

namespace tarnwick {
namespace {

constexpr uint16_t U = 65535;

class ChartTileRoutesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    // Land over 0..20 E, 30..50 N.
    CoastGrid grid = CoastGrid::Empty(CoastResolution::Crude, 1200);
    grid.At(9, 6).polygons.push_back({1, {{0, 0}, {U, 0}, {U, U}, {0, U}}});
    ASSERT_TRUE(WriteCoastlineFile(folder_ / "world_c.b.qtc", grid));
    renderer_ = std::make_shared<CChartViewRenderer>(library_, folder_.Path());
  }

  std::shared_ptr<CChartTileService> Service(const std::filesystem::path& disk = {}) {
    return std::make_shared<CChartTileService>(renderer_, TileChartSource{},
                                               ChartTileOptions{.diskFolder = disk});
  }

  testing::CTempFolder folder_;
  CS52Library library_;  // empty: the base map's own colours
  std::shared_ptr<CChartViewRenderer> renderer_;
};

TEST_F(ChartTileRoutesTest, TilesBySchemeWithTheirKey) {
  CHttpServer server;
  CChartTileRoutes::Mount(server, std::make_shared<CChartTileRoutes>(Service()));
  ASSERT_TRUE(server.Start("127.0.0.1", 0));
  httplib::Client client("127.0.0.1", server.Port());

  auto day = client.Get("/api/charts/tile/1/1/0.png?scheme=day");
  ASSERT_TRUE(day);
  EXPECT_EQ(day->status, 200);
  EXPECT_EQ(day->get_header_value("Content-Type"), "image/png");
  EXPECT_EQ(day->body.substr(1, 3), "PNG");
  EXPECT_EQ(day->get_header_value("Cache-Control"), "no-cache");
  const std::string etag = day->get_header_value("ETag");
  EXPECT_NE(etag.find("-DAY"), std::string::npos);

  auto again = client.Get("/api/charts/tile/1/1/0.png?scheme=day", {{"If-None-Match", etag}});
  ASSERT_TRUE(again);
  EXPECT_EQ(again->status, 304);
  auto night = client.Get("/api/charts/tile/1/1/0.png?scheme=night", {{"If-None-Match", etag}});
  ASSERT_TRUE(night);
  EXPECT_EQ(night->status, 200);
  EXPECT_NE(night->body, day->body);

  struct Row {
    const char* path;
    int status;
  } const rows[] = {
      {"/api/charts/tile/0/0/0.png", 200},  // the current scheme
      {"/api/charts/tile/1/1/0.png?scheme=sepia", 400},
      {"/api/charts/tile/3/8/0.png", 400},
      {"/api/charts/tile/25/0/0.png", 400},
      {"/api/charts/tile/2/123456789/0.png", 400},
      {"/api/charts/tile/2/-1/0.png", 404},
  };
  for (const Row& row : rows) {
    auto r = client.Get(row.path);
    ASSERT_TRUE(r) << row.path;
    EXPECT_EQ(r->status, row.status) << row.path;
  }
  server.Stop();
}

TEST_F(ChartTileRoutesTest, OneDrawingForManyRequests) {
  auto tiles = Service();
  std::vector<std::thread> threads;
  std::vector<std::string> pngs(6);
  for (size_t i = 0; i < pngs.size(); ++i)
    threads.emplace_back([&, i] { pngs[i] = tiles->Tile(3, 4, 2, S52Scheme::Day, {}, 10000).value_or(""); });
  for (auto& t : threads) t.join();
  for (const std::string& png : pngs) EXPECT_EQ(png, pngs[0]);
  EXPECT_FALSE(pngs[0].empty());
  const ChartTileStats stats = tiles->Stats();
  EXPECT_EQ(stats.drawn, 1u);
  EXPECT_EQ(stats.memoryTiles, 1u);
}

TEST_F(ChartTileRoutesTest, DiskCacheAcrossRunsAndStaleKeysDropped) {
  const auto disk = folder_ / "tiles";
  S52MarinerSettings settings;
  std::string first;
  std::string prefix;
  {
    auto tiles = Service(disk);
    first = tiles->Tile(2, 2, 1, S52Scheme::Dusk, settings, 10000).value_or("");
    prefix = tiles->KeyPrefix(settings);
  }
  ASSERT_FALSE(first.empty());
  EXPECT_TRUE(std::filesystem::exists(disk / prefix / "DUSK/2/2/1.png"));

  auto tiles = Service(disk);
  EXPECT_EQ(tiles->Tile(2, 2, 1, S52Scheme::Dusk, settings, 10000).value_or(""), first);
  EXPECT_EQ(tiles->Stats().diskHits, 1u);
  EXPECT_EQ(tiles->Stats().drawn, 0u);

  settings.safetyContour = 15;  // another key: drawn anew, the old folder goes
  ASSERT_NE(tiles->KeyPrefix(settings), prefix);
  EXPECT_TRUE(tiles->Tile(2, 2, 1, S52Scheme::Dusk, settings, 10000));
  EXPECT_EQ(tiles->Stats().drawn, 1u);
  EXPECT_FALSE(std::filesystem::exists(disk / prefix));
  EXPECT_TRUE(std::filesystem::exists(disk / tiles->KeyPrefix(settings)));
}

}  // namespace
}  // namespace tarnwick
