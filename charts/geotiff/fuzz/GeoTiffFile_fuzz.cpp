// Fuzz target: any bytes given as a GeoTIFF file are either refused or give
// an image whose rows (a bounded sample of them) decode in every colour
// scheme and whose georeferencing converts the corners and centre both ways.
// libtiff reads a path, so the bytes are handed over as an anonymous
// in-memory file.

#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>

#include "charts/geotiff/GeoTiffChart.h"
#include "core/geo/Mercator.h"

// Keeps the decoded values from being optimised away.
uint64_t g_geoTiffFuzzSink = 0;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace tarnwick;
  const int fd = memfd_create("fuzz.tif", 0);
  if (fd < 0) return 0;
  size_t written = 0;
  while (written < size) {
    const ssize_t n = write(fd, data + written, size - written);
    if (n <= 0) break;
    written += static_cast<size_t>(n);
  }
  std::string error;
  auto chart = CGeoTiffChart::Open("/proc/self/fd/" + std::to_string(fd), error);
  if (chart) {
    const int height = chart->Height();
    const int step = std::max(1, height / 16);
    for (int y = 0; y < height; y += step) {
      for (ColourScheme scheme : {ColourScheme::kDay, ColourScheme::kNight}) {
        const RasterRow row = chart->ReadRow(y, scheme);
        if (row.bytes) g_geoTiffFuzzSink += row.bytes->size();
      }
    }
    const double w = chart->Width();
    const double h = chart->Height();
    for (const PixelPoint p : {PixelPoint{0, 0}, PixelPoint{w, h}, PixelPoint{w / 2, h / 2}}) {
      if (const auto model = chart->PixelToModel(p)) g_geoTiffFuzzSink += static_cast<uint64_t>(model->x != 0);
      if (const auto position = chart->PixelToGeo(p)) {
        if (const auto back = chart->GeoToPixel(*position)) g_geoTiffFuzzSink += static_cast<uint64_t>(back->x != 0);
        const MercatorPoint m = MercatorForward(position->lat, position->lon);
        if (const auto pixel = chart->MercatorToPixel(m)) g_geoTiffFuzzSink += static_cast<uint64_t>(pixel->y != 0);
      }
    }
    g_geoTiffFuzzSink += chart->Outline().size() + chart->MercatorOutline().size();
    (void)chart->MercatorMetresPerPixel();
  }
  chart.reset();
  close(fd);
  return 0;
}
