// The chart library over real charts: folders and files registered, SENC
// files built on the workers, the catalogue kept across runs, the charts of
// a view quilted by scale, update files and removals picked up, a failed
// update listed with its text, and views asked for from several threads
// while charts are being built.

#include "charts/library/ChartLibrary.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <thread>

#include "charts/s57/SencFolder.h"
#include "core/geo/Mercator.h"
#include "core/tests/support/TestSupport.h"

namespace tarnwick {
namespace {

const std::filesystem::path kData = testing::TestDataFolder();
constexpr uint64_t kWaitMs = 120000;

struct Library {
  explicit Library(const testing::CTempFolder& folder, bool watch = false) {
    ChartLibraryOptions options;
    options.catalogue = folder / "data/charts.db";
    options.sencFolder = folder / "senc";
    options.workers = 2;
    options.watch = watch;
    std::string error;
    library = CChartLibrary::Open(options, error);
    EXPECT_TRUE(library) << error;
    library->Start();
  }
  std::map<std::string, ChartRecord> ByName() const {
    std::map<std::string, ChartRecord> out;
    for (ChartRecord& r : library->Charts()) out[r.name] = r;
    return out;
  }
  std::shared_ptr<CChartLibrary> library;
};

TEST(ChartLibrary, FolderOfCellsAndRastersIsBuiltAndKeptAcrossRuns) {
  testing::CTempFolder folder;
  {
    Library lib(folder);
    ASSERT_TRUE(lib.library->AddSource(kData / "s57/s64_2_1_1_power_up").ok);
    ASSERT_TRUE(lib.library->AddSource(kData / "bsb/12205_7.KAP").ok);
    const uint64_t before = lib.library->Generation();
    ASSERT_TRUE(lib.library->WaitIdle(kWaitMs));
    EXPECT_GT(lib.library->Generation(), before);
    const auto charts = lib.ByName();
    ASSERT_EQ(charts.size(), 7u);
    for (const auto& [name, r] : charts) {
      EXPECT_EQ(r.status, ChartStatus::kReady) << name << ": " << r.message;
      ASSERT_TRUE(r.coverage) << name;
      EXPECT_LT(r.extent.west, r.extent.east) << name;
    }
    EXPECT_EQ(charts.at("GB4X0000").kind, ChartKind::kVector);
    EXPECT_GT(charts.at("GB4X0000").scale, charts.at("GB5X01NW").scale);
    EXPECT_EQ(charts.at("12205_7").kind, ChartKind::kKap);
    EXPECT_EQ(charts.at("12205_7").scale, 80000u);
    EXPECT_TRUE(std::filesystem::exists(folder / "senc/GB5X01NW.tksenc"));
  }
  // A second run finds everything in the catalogue and builds nothing.
  const auto sencTime = std::filesystem::last_write_time(folder / "senc/GB5X01NW.tksenc");
  Library again(folder);
  EXPECT_EQ(again.library->Charts().size(), 7u);
  ASSERT_TRUE(again.library->WaitIdle(kWaitMs));
  for (const ChartRecord& r : again.library->Charts())
    EXPECT_EQ(r.status, ChartStatus::kReady) << r.name;
  EXPECT_EQ(std::filesystem::last_write_time(folder / "senc/GB5X01NW.tksenc"), sencTime);
  EXPECT_EQ(again.library->Sources().size(), 2u);
}

TEST(ChartLibrary, ViewsAreQuiltedByScaleAndUsageBand) {
  testing::CTempFolder folder;
  Library lib(folder);
  ASSERT_TRUE(lib.library->AddSource(kData / "s57/s64_2_1_1_power_up").ok);
  ASSERT_TRUE(lib.library->WaitIdle(kWaitMs));
  const auto charts = lib.ByName();
  const ChartRecord& small = charts.at("GB4X0000");
  const ChartRecord& large = charts.at("GB5X01NW");
  // Inside the large-scale cell: it alone is drawn, the small scale is hidden.
  const MercatorBox inside{large.extent.west + 200, large.extent.south + 200,
                           large.extent.west + 1200, large.extent.south + 1200};
  auto view = lib.library->ChartsForView(inside, 10000);
  ASSERT_FALSE(view.empty());
  EXPECT_EQ(view.back().name, "GB5X01NW");
  ASSERT_TRUE(view.back().vector);
  EXPECT_EQ(view.back().vector->CellName(), "GB5X01NW");

  // Over the whole small-scale cell: it lies at the bottom, the larger scales on top.
  view = lib.library->ChartsForView(small.extent, small.scale);
  ASSERT_GE(view.size(), 2u);
  EXPECT_EQ(view.front().name, "GB4X0000");
  for (size_t i = 1; i < view.size(); ++i) EXPECT_LE(view[i].scale, view[i - 1].scale);

  // Zoomed far out the large-scale cells are too detailed to be drawn.
  view = lib.library->ChartsForView(small.extent, large.scale * 20.0);
  for (const ViewChart& c : view) EXPECT_GT(c.scale * 8.0, large.scale * 20.0) << c.name;

  const auto at = lib.library->ChartAt(
      {(inside.west + inside.east) / 2, (inside.south + inside.north) / 2}, 10000);
  ASSERT_TRUE(at);
  EXPECT_EQ(at->name, "GB5X01NW");
  EXPECT_FALSE(lib.library->ChartAt(MercatorForward(-60, 100), 10000));
}

TEST(ChartLibrary, UpdatesRemovalsAndFailedUpdatesArePickedUp) {
  testing::CTempFolder folder;
  const std::filesystem::path set = folder / "charts/US1AK90M";
  std::filesystem::create_directories(set);
  const std::filesystem::path original = kData / "s57/noaa_US1AK90M_exchange_set/ENC_ROOT/US1AK90M";
  for (const char* ext : {".000", ".001", ".002"})
    std::filesystem::copy_file(original / (std::string("US1AK90M") + ext),
                               set / (std::string("US1AK90M") + ext));
  Library lib(folder, /*watch=*/true);
  ASSERT_TRUE(lib.library->AddSource(folder / "charts").ok);
  ASSERT_TRUE(lib.library->WaitIdle(kWaitMs));
  EXPECT_EQ(lib.ByName().at("US1AK90M").update, 2u);

  // Update 4 where 3 belongs: it cannot be applied, and the page says why.
  uint64_t generation = lib.library->Generation();
  std::filesystem::copy_file(original / "US1AK90M.004", set / "US1AK90M.003");
  for (int i = 0; i < 200 && lib.library->Generation() == generation; ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  ASSERT_TRUE(lib.library->WaitIdle(kWaitMs));
  ChartRecord r = lib.ByName().at("US1AK90M");
  EXPECT_EQ(r.status, ChartStatus::kReady);
  EXPECT_EQ(r.update, 2u);
  EXPECT_EQ(r.failedUpdate, "US1AK90M.003");
  EXPECT_EQ(r.updateError, "Can't apply update 4 to update 2.");

  // The right update file arrives: noticed by the folder watch.
  generation = lib.library->Generation();
  std::filesystem::copy_file(original / "US1AK90M.003", set / "US1AK90M.003",
                             std::filesystem::copy_options::overwrite_existing);
  for (int i = 0; i < 200 && lib.library->Generation() == generation; ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  ASSERT_TRUE(lib.library->WaitIdle(kWaitMs));
  r = lib.ByName().at("US1AK90M");
  EXPECT_EQ(r.update, 3u);
  EXPECT_EQ(r.failedUpdate, "");

  // Removed by name: excluded from its folder, back when added as a file.
  EXPECT_EQ(lib.library->RemoveChart("US1AK90M"), std::vector<std::string>{"US1AK90M"});
  lib.library->Rescan();
  ASSERT_TRUE(lib.library->WaitIdle(kWaitMs));
  EXPECT_TRUE(lib.library->Charts().empty());
  ASSERT_TRUE(lib.library->AddSource(set / "US1AK90M.000").ok);
  ASSERT_TRUE(lib.library->WaitIdle(kWaitMs));
  EXPECT_EQ(lib.library->Charts().size(), 1u);

  // A deleted file leaves the library.
  std::filesystem::remove(set / "US1AK90M.000");
  lib.library->Rescan();
  ASSERT_TRUE(lib.library->WaitIdle(kWaitMs));
  EXPECT_TRUE(lib.library->Charts().empty());
}

TEST(ChartLibrary, RefusesWhatIsNotAChartSource) {
  testing::CTempFolder folder;
  Library lib(folder);
  testing::WriteFile(folder / "notes.txt", "x");
  EXPECT_FALSE(lib.library->AddSource(folder / "missing").ok);
  const AddSourceResult text = lib.library->AddSource(folder / "notes.txt");
  EXPECT_FALSE(text.ok);
  EXPECT_NE(text.error.find("neither a folder nor a chart file"), std::string::npos);
  EXPECT_FALSE(lib.library->RemoveSource(folder / "notes.txt"));
}

TEST(ChartLibrary, OneFileOfACellIsUsedAndTheOtherTakesOverWhenItGoes) {
  testing::CTempFolder folder;
  const std::filesystem::path cell = kData / "s57/noaa_US5HA57M_exchange_set/US5HA57M/US5HA57M.000";
  for (const char* copy : {"a", "b"}) {
    std::filesystem::create_directories(folder / copy);
    std::filesystem::copy_file(cell, folder / copy / "US5HA57M.000");
  }
  Library lib(folder);
  ASSERT_TRUE(lib.library->AddSource(folder / "a").ok);
  ASSERT_TRUE(lib.library->AddSource(folder / "b").ok);
  ASSERT_TRUE(lib.library->WaitIdle(kWaitMs));
  auto charts = lib.library->Charts();
  ASSERT_EQ(charts.size(), 2u);
  std::sort(charts.begin(), charts.end(), [](auto& x, auto& y) { return x.status < y.status; });
  EXPECT_EQ(charts[0].status, ChartStatus::kReady);
  EXPECT_EQ(charts[1].status, ChartStatus::kSuperseded);
  EXPECT_EQ(charts[1].message, "superseded by " + charts[0].path.string());

  ASSERT_TRUE(lib.library->RemoveSource(charts[0].source));
  ASSERT_TRUE(lib.library->WaitIdle(kWaitMs));
  charts = lib.library->Charts();
  ASSERT_EQ(charts.size(), 1u);
  EXPECT_EQ(charts[0].status, ChartStatus::kReady);
  EXPECT_EQ(lib.library->ChartsForView(charts[0].extent, 20000).size(), 1u);
}

TEST(ChartLibrary, ViewsFromManyThreadsWhileChartsAreBuilt) {
  testing::CTempFolder folder;
  Library lib(folder);
  ASSERT_TRUE(lib.library->AddSource(kData / "s57/s64_2_1_1_power_up").ok);
  const MercatorBox world{-kMercatorWorldWidth / 2, -1e7, kMercatorWorldWidth / 2, 1e7};
  std::atomic<size_t> seen{0};
  std::vector<std::thread> threads;
  for (int t = 0; t < 3; ++t)
    threads.emplace_back([&] {
      for (int i = 0; i < 40; ++i) {
        for (const ViewChart& c : lib.library->ChartsForView(world, 1e5)) seen += c.vector ? 1 : 0;
        (void)lib.library->Progress();
      }
    });
  for (std::thread& t : threads) t.join();
  ASSERT_TRUE(lib.library->WaitIdle(kWaitMs));
  EXPECT_FALSE(lib.library->ChartsForView(world, 1e5).empty());
}

TEST(ChartLibrary, GeoTiffImagesPlacedOrRefusedWithTheReason) {
  testing::CTempFolder folder;
  Library lib(folder);
  ASSERT_TRUE(lib.library->AddSource(kData / "geotiff").ok);
  ASSERT_TRUE(lib.library->WaitIdle(kWaitMs));
  const auto charts = lib.ByName();
  ASSERT_EQ(charts.size(), 7u);
  const ChartRecord& crop = charts.at("epsg3857_crop");
  EXPECT_EQ(crop.kind, ChartKind::kGeoTiff);
  EXPECT_EQ(crop.status, ChartStatus::kReady);
  // 64 pixels of about 20 m at 25 N: shown one to one near 1:650,000.
  EXPECT_GT(crop.scale, 500000u);
  EXPECT_LT(crop.scale, 800000u);
  const ChartRecord& rotated = charts.at("rotated");
  EXPECT_EQ(rotated.status, ChartStatus::kFailed);
  EXPECT_EQ(rotated.message,
            "the image cannot be placed: no coordinate reference system in the GeoKeys");
  // Around the crop: it lies over the coarser image of the Bahamas, which
  // hides the world image under both.
  const double w = crop.extent.east - crop.extent.west;
  const MercatorBox around{crop.extent.west - w, crop.extent.south - w, crop.extent.east + w,
                           crop.extent.north + w};
  const auto view = lib.library->ChartsForView(around, crop.scale);
  ASSERT_EQ(view.size(), 2u);
  EXPECT_EQ(view[0].name, "rgb-byte-tenth");
  EXPECT_EQ(view[1].name, "epsg3857_crop");
  ASSERT_TRUE(view[1].raster);
  EXPECT_EQ(view[1].raster->Width(), 64);
}

TEST(ChartLibrary, ScaleOfAView) {
  // 0.28 mm screen pixels; Mercator metres shrink by cos(latitude) on the ground.
  EXPECT_NEAR(DisplayScaleDenominator(2.8, 0.0), 10000.0, 1e-6);
  EXPECT_NEAR(DisplayScaleDenominator(2.8, 60.0), 5000.0, 1e-6);
  EXPECT_NEAR(TileScaleDenominator(0, 0), kMercatorWorldWidth / 256 / 0.00028, 1.0);
  // Tile row 256 of zoom 9 lies just south of the equator; row 0 near 85 N.
  EXPECT_NEAR(TileScaleDenominator(9, 256), kMercatorWorldWidth / (512 * 256) / 0.00028, 100.0);
  EXPECT_LT(TileScaleDenominator(9, 0), TileScaleDenominator(9, 256) / 10);
}

}  // namespace
}  // namespace tarnwick
