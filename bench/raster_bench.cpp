// Raster charts: opening the largest test panel and decoding every row to RGB
// (compare with GDAL in bench/scripts/kap_vs_gdal.sh), and drawing the 256-px
// chart Mercator tiles that cover a 1920 x 1080 view from a cold scan-line
// cache, on one thread and on two (the chart view's tile workers), for a KAP
// panel and a GeoTIFF image.

#include <benchmark/benchmark.h>

#include <cmath>
#include <thread>

#include "charts/geotiff/GeoTiffChart.h"
#include "charts/raster/RasterChart.h"
#include "charts/raster/RasterRender.h"

namespace tarnwick {
namespace {

const std::filesystem::path kData = std::filesystem::path(TW_SOURCE_DIR) / "charts/tests/data";
const std::filesystem::path kLargestPanel = kData / "bsb/12205_8.KAP";  // 2677 x 1538, 4 bits

void BM_KapOpenAndDecodeEveryRowToRgb(benchmark::State& state) {
  std::vector<uint8_t> rgb;
  for (auto _ : state) {
    KapOpenError error;
    auto chart = CRasterChart::ReadKapFile(kLargestPanel, error);
    if (!chart) {
      state.SkipWithError(error.detail.c_str());
      return;
    }
    const KapPalette& palette = *chart->Header().Palette(KapPaletteKind::RGB);
    std::array<KapColour, 256> colours{};
    for (int entry = 0; entry < 256; ++entry) colours[static_cast<uint8_t>(entry - 1)] = palette.colours[static_cast<size_t>(entry)];
    const size_t width = static_cast<size_t>(chart->Width());
    rgb.resize(width * static_cast<size_t>(chart->Height()) * 3);
    std::vector<uint8_t> row(width);
    for (int y = 0; y < chart->Height(); ++y) {
      chart->DecodeScanLine(y, row);
      uint8_t* out = rgb.data() + static_cast<size_t>(y) * width * 3;
      for (size_t x = 0; x < width; ++x, out += 3) {
        const KapColour c = colours[row[x]];
        out[0] = c.r;
        out[1] = c.g;
        out[2] = c.b;
      }
    }
    benchmark::DoNotOptimize(rgb.data());
    state.SetItemsProcessed(state.items_processed() + chart->Width() * chart->Height());
  }
}
BENCHMARK(BM_KapOpenAndDecodeEveryRowToRgb)->Unit(benchmark::kMillisecond);

// The XYZ tiles at zoom covering a width x height view centred on the raster.
std::vector<MercatorBox> ViewTiles(const CGeoRaster& raster, int zoom, int width, int height) {
  const LatLon centre = *raster.PixelToGeo({raster.Width() / 2.0, raster.Height() / 2.0});
  const MercatorPoint c = MercatorForward(centre.lat, centre.lon);
  const double resolution = kMercatorWorldWidth / (256.0 * std::ldexp(1.0, zoom));
  const double half = kMercatorWorldWidth / 2;
  const int x0 = static_cast<int>(std::floor((c.x - width / 2.0 * resolution + half) / (256 * resolution)));
  const int x1 = static_cast<int>(std::floor((c.x + width / 2.0 * resolution + half) / (256 * resolution)));
  const int y0 = static_cast<int>(std::floor((half - (c.y + height / 2.0 * resolution)) / (256 * resolution)));
  const int y1 = static_cast<int>(std::floor((half - (c.y - height / 2.0 * resolution)) / (256 * resolution)));
  std::vector<MercatorBox> tiles;
  for (int ty = y0; ty <= y1; ++ty) {
    for (int tx = x0; tx <= x1; ++tx) tiles.push_back(XyzTileBox(zoom, tx, ty));
  }
  return tiles;
}

void DrawViewFromColdCache(benchmark::State& state, const CGeoRaster& raster, int zoom) {
  const int threads = static_cast<int>(state.range(0));
  const auto tiles = ViewTiles(raster, zoom, 1920, 1080);
  std::vector<std::vector<uint32_t>> pixels(tiles.size(), std::vector<uint32_t>(256 * 256));
  size_t drawn = 0;
  for (auto _ : state) {
    state.PauseTiming();
    CScanLineCache::Shared().Clear();
    for (auto& p : pixels) std::fill(p.begin(), p.end(), 0);
    state.ResumeTiming();
    std::atomic<size_t> next{0};
    std::atomic<size_t> total{0};
    auto work = [&] {
      for (size_t k = next++; k < tiles.size(); k = next++) {
        const ArgbImage image{pixels[k].data(), 256, 256, 256 * 4};
        total += RenderMercatorBox(raster, tiles[k], ColourScheme::kDay, image);
      }
    };
    std::vector<std::thread> workers;
    for (int t = 1; t < threads; ++t) workers.emplace_back(work);
    work();
    for (auto& w : workers) w.join();
    drawn = total;
  }
  state.counters["tiles"] = static_cast<double>(tiles.size());
  state.counters["drawnPixels"] = static_cast<double>(drawn);
  state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(tiles.size()));
}

// Zoom 14 (9.6 m a pixel) shows the whole panel (6.3 m a pixel) in the view.
void BM_KapViewOfTilesColdCache(benchmark::State& state) {
  KapOpenError error;
  auto chart = CRasterChart::ReadKapFile(kLargestPanel, error);
  if (!chart) return state.SkipWithError(error.detail.c_str());
  DrawViewFromColdCache(state, *chart, 14);
}
BENCHMARK(BM_KapViewOfTilesColdCache)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond)->UseRealTime();

// The tiled world image (0.125 degree pixels, LZW) at zoom 3.
void BM_GeoTiffViewOfTilesColdCache(benchmark::State& state) {
  std::string error;
  auto chart = CGeoTiffChart::Open(kData / "geotiff/world.byte.tif", error);
  if (!chart) return state.SkipWithError(error.c_str());
  DrawViewFromColdCache(state, *chart, 3);
}
BENCHMARK(BM_GeoTiffViewOfTilesColdCache)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
}  // namespace tarnwick
