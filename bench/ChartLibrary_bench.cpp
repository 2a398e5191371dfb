// The chart library's queries and the look-ahead for dangers, with the test
// charts loaded (eighteen cells: the S-64 power-up set, the Inland ENC test
// cells, US1AK90M and US5HA57M, and a KAP panel):
//   - ChartsForView for one 256-pixel tile (the R*Tree, the quilt, the cache);
//   - the catalogue's R*Tree query alone;
//   - one tick of the look-ahead over Kaneohe Bay (US5HA57M), in open water
//     and with a shoal ahead.

#include <benchmark/benchmark.h>

#include <filesystem>
#include <memory>

#include "charts/library/ChartCatalogue.h"
#include "charts/library/ChartLibrary.h"
#include "charts/lookahead/ObstacleLookAhead.h"
#include "charts/raster/RasterRender.h"

namespace tarnwick {
namespace {

const std::filesystem::path kData = std::filesystem::path(TW_SOURCE_DIR) / "charts/tests/data";

struct Loaded {
  Loaded() {
    folder = std::filesystem::temp_directory_path() / "tarnwick-chart-bench";
    std::filesystem::remove_all(folder);
    ChartLibraryOptions options;
    options.catalogue = folder / "charts.db";
    options.sencFolder = folder / "senc";
    options.watch = false;
    std::string error;
    library = CChartLibrary::Open(options, error);
    library->Start();
    for (const char* source : {"s57/s64_2_1_1_power_up", "s57/inland_ienc_test_2.1",
                               "s57/noaa_US1AK90M_exchange_set", "s57/noaa_US5HA57M_exchange_set",
                               "bsb/12205_7.KAP"})
      library->AddSource(kData / source);
    library->WaitIdle(600000);
  }
  ~Loaded() {
    library.reset();
    std::filesystem::remove_all(folder);
  }
  std::filesystem::path folder;
  std::shared_ptr<CChartLibrary> library;
};

Loaded& Charts() {
  static Loaded loaded;
  return loaded;
}

// Tiles of zoom 15 over the S-64 cells (one view of 8 x 5 tiles).
void BM_ChartsForViewPerTile(benchmark::State& state) {
  CChartLibrary& library = *Charts().library;
  const MercatorPoint centre = MercatorForward(-32.50, 60.97);
  const int zoom = 15;
  const double tiles = 1 << zoom;
  const int x0 = static_cast<int>((centre.x / kMercatorWorldWidth + 0.5) * tiles) - 4;
  const int y0 = static_cast<int>((0.5 - centre.y / kMercatorWorldWidth) * tiles) - 2;
  size_t charts = 0, tile = 0;
  for (auto _ : state) {
    const int x = x0 + static_cast<int>(tile % 8), y = y0 + static_cast<int>(tile / 8 % 5);
    ++tile;
    const auto view = library.ChartsForView(XyzTileBox(zoom, x, y), TileScaleDenominator(zoom, y));
    charts += view.size();
    benchmark::DoNotOptimize(view);
  }
  state.counters["charts/tile"] = static_cast<double>(charts) / static_cast<double>(state.iterations());
  state.counters["cataloguedCharts"] = static_cast<double>(library.Charts().size());
}
BENCHMARK(BM_ChartsForViewPerTile)->Unit(benchmark::kMicrosecond);

void BM_CatalogueExtentQuery(benchmark::State& state) {
  Charts();
  std::string error;
  auto catalogue = CChartCatalogue::Open(Charts().folder / "charts.db", error);
  const MercatorPoint centre = MercatorForward(-32.50, 60.97);
  const MercatorBox box{centre.x - 5000, centre.y - 3000, centre.x + 5000, centre.y + 3000};
  for (auto _ : state) benchmark::DoNotOptimize(catalogue->Query(box));
}
BENCHMARK(BM_CatalogueExtentQuery)->Unit(benchmark::kMicrosecond);

// One tick at 8 knots with 2 minutes of look-ahead: range(0) 0 in the deep
// water of the approaches (nothing ahead), 1 heading for the reef.
void BM_LookAheadTick(benchmark::State& state) {
  CChartLibrary& library = *Charts().library;
  LookAheadInput input;
  input.position = state.range(0) == 0 ? LatLon{21.52, -157.765} : LatLon{21.49, -157.785};
  input.cogDeg = state.range(0) == 0 ? 330 : 240;
  input.sogKnots = 8;
  input.lookAheadSeconds = 120;
  input.widthMetres = 50;
  input.safetyDepthMetres = 10;
  bool danger = false;
  for (auto _ : state) {
    const LookAheadResult result = LookAhead(library, input);
    danger = result.danger.has_value();
    benchmark::DoNotOptimize(result);
  }
  state.counters["danger"] = danger ? 1 : 0;
}
BENCHMARK(BM_LookAheadTick)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

void BM_ChartedDepthUnderShip(benchmark::State& state) {
  CChartLibrary& library = *Charts().library;
  for (auto _ : state) benchmark::DoNotOptimize(ChartedDepthAt(library, {21.52, -157.765}));
}
BENCHMARK(BM_ChartedDepthUnderShip)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace tarnwick
