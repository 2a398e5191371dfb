// The chart view's drawing on the largest test cell (NOAA US5HA57M, Kaneohe
// Bay): one 256-pixel tile at harbour scale drawn and encoded as PNG on
// one thread; a full 1920x1080 view as the tiles that cover it, drawn cold by
// the tile service's two workers; and a warm tile served over HTTP on the
// loopback. Reads the presentation library and coastline the build generated
// in the shipped-files folder and the cell from charts/tests/data.

#include <benchmark/benchmark.h>
#include <httplib.h>

#include <cmath>

#include "charts/render/ChartTileService.h"
#include "charts/s57/S57ChartReader.h"
#include "charts/s57/SencWriter.h"
#include "core/Paths.h"
#include "server/ChartTileRoutes.h"

namespace tarnwick {
namespace {

constexpr double kWorld = 2 * 3.14159265358979323846 * 6378137.0;
constexpr double kLat = 21.4600, kLon = -157.7640;  // the shore at Pali Kilo, Kaneohe Bay

struct Setup {
  CS52Library library;
  std::shared_ptr<const CS57Chart> chart;
  std::shared_ptr<CChartViewRenderer> renderer;
  std::string error;

  Setup() {
    if (!library.LoadArchive(ProgramFolder() / kS52ArchiveName, error)) return;
    CS57ChartReader reader(std::filesystem::temp_directory_path());
    const auto path = std::filesystem::path(TW_SOURCE_DIR) /
                      "charts/tests/data/s57/noaa_US5HA57M_exchange_set/US5HA57M/US5HA57M.000";
    if (auto cell = reader.Compile(path, true, error))
      chart = CS57Chart::FromBytes(SerializeSenc(SencHeaderOf(cell->header), cell->features, cell->tree),
                                   "US5HA57M", error);
    renderer = std::make_shared<CChartViewRenderer>(library, ProgramFolder() / "World");
  }

  // The cell as the library gives it for a box: its extent as its coverage.
  std::vector<ViewChart> Charts(const MercatorBox& box) const {
    const ProjectedBox& e = chart->Extent();
    ViewChart view;
    view.vector = chart;
    view.visible = IntersectRegions(BoxRegion(box), BoxRegion(MercatorBox{e.west, e.south, e.east, e.north}));
    return {view};
  }
  TileChartSource Source() const {
    return {[this](const MercatorBox& box, double) { return Charts(box); }, [] { return uint64_t{1}; }};
  }
};

Setup& Shared(benchmark::State& state) {
  static Setup setup;
  if (!setup.chart) state.SkipWithError(setup.error.c_str());
  return setup;
}

// The tile indices of zoom holding (lat, lon).
std::pair<int, int> TileAt(int zoom, double lat, double lon) {
  const MercatorPoint m = MercatorForward(lat, lon);
  const double side = std::ldexp(1.0, zoom);
  return {static_cast<int>((m.x + kWorld / 2) / kWorld * side), static_cast<int>((kWorld / 2 - m.y) / kWorld * side)};
}

void BM_ChartTileHarbour(benchmark::State& state) {
  Setup& s = Shared(state);
  if (!s.chart) return;
  const int zoom = static_cast<int>(state.range(0));
  const auto [x, y] = TileAt(zoom, kLat, kLon);
  const RenderView view = TileView(zoom, x, y, S52Scheme::Day, {});
  const auto charts = s.Charts(view.box);
  size_t bytes = 0;
  ViewRenderStats stats;
  for (auto _ : state) bytes = s.renderer->RenderPng(view, charts, &stats).size();
  state.counters["png_bytes"] = static_cast<double>(bytes);
  state.counters["features"] = static_cast<double>(stats.features);
  state.counters["charts"] = static_cast<double>(stats.charts);
  state.counters["rings"] = static_cast<double>(charts[0].visible.size());
  state.counters["scale"] = view.DisplayScale();
}
BENCHMARK(BM_ChartTileHarbour)->Arg(15)->Arg(16)->Arg(17)->Unit(benchmark::kMillisecond);

void BM_ChartView1920x1080(benchmark::State& state) {
  Setup& s = Shared(state);
  if (!s.chart) return;
  const int zoom = static_cast<int>(state.range(0));
  ChartTileOptions options;
  options.workers = 2;
  CChartTileService tiles(s.renderer, s.Source(), options);
  // The tiles under a 1920x1080 view centred on the shore at Pali Kilo.
  const MercatorPoint c = MercatorForward(kLat, kLon);
  const double tile = kWorld / std::ldexp(1.0, zoom);
  const int x0 = static_cast<int>(std::floor((c.x - 960 * tile / 256 + kWorld / 2) / tile));
  const int x1 = static_cast<int>(std::floor((c.x + 960 * tile / 256 + kWorld / 2) / tile));
  const int y0 = static_cast<int>(std::floor((kWorld / 2 - c.y - 540 * tile / 256) / tile));
  const int y1 = static_cast<int>(std::floor((kWorld / 2 - c.y + 540 * tile / 256) / tile));
  for (auto _ : state) {
    state.PauseTiming();
    tiles.Invalidate();
    state.ResumeTiming();
    // The browser asks for all of them at once; the service draws them on its workers.
    std::vector<std::thread> askers;
    for (int y = y0; y <= y1; ++y)
      askers.emplace_back([&, y] {
        for (int x = x0; x <= x1; ++x) benchmark::DoNotOptimize(tiles.Tile(zoom, x, y, S52Scheme::Day, {}, 60000));
      });
    for (auto& t : askers) t.join();
  }
  state.counters["tiles"] = (x1 - x0 + 1) * (y1 - y0 + 1);
}
BENCHMARK(BM_ChartView1920x1080)->Arg(15)->Arg(16)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime()->UseRealTime();

void BM_ChartTileWarmHttp(benchmark::State& state) {
  Setup& s = Shared(state);
  if (!s.chart) return;
  auto tiles = std::make_shared<CChartTileService>(s.renderer, s.Source(), ChartTileOptions{});
  CHttpServer server;
  CChartTileRoutes::Mount(server, std::make_shared<CChartTileRoutes>(tiles));
  if (!server.Start("127.0.0.1", 0)) return state.SkipWithError("cannot start the server");
  httplib::Client client("127.0.0.1", server.Port());
  client.set_keep_alive(true);
  const auto [x, y] = TileAt(16, kLat, kLon);
  const std::string path = "/api/charts/tile/16/" + std::to_string(x) + "/" + std::to_string(y) + ".png?scheme=day";
  client.Get(path);  // drawn once
  for (auto _ : state) {
    auto r = client.Get(path);
    if (!r || r->status != 200) {
      state.SkipWithError("tile request failed");
      break;
    }
  }
  server.Stop();
}
BENCHMARK(BM_ChartTileWarmHttp)->Unit(benchmark::kMicrosecond)->UseRealTime();

}  // namespace
}  // namespace tarnwick
