// Fuzz target: any bytes given as a KAP file are either refused or give a
// chart whose rows decode, whose georeferencing converts the raster's corners
// both ways and whose drawing rows stay in bounds.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>

#include "charts/raster/RasterChart.h"

// Keeps the decoded values from being optimised away.
uint64_t g_kapFuzzSink = 0;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace tarnwick;
  KapOpenError error;
  auto chart = CRasterChart::FromBytes(std::string(reinterpret_cast<const char*>(data), size),
                                       "fuzz.kap", error);
  if (!chart) return 0;
  // Bounded work per input: at most 64 rows, spread over the raster.
  const int width = std::min(chart->Width(), 1 << 16);
  std::vector<uint8_t> row(static_cast<size_t>(chart->Width()));
  const int step = std::max(1, chart->Height() / 64);
  if (width == chart->Width()) {
    for (int y = 0; y < chart->Height(); y += step) {
      chart->DecodeScanLine(y, row);
      g_kapFuzzSink += row.front() + row.back();
    }
  }
  const RasterRow drawn = chart->ReadRow(chart->Height() - 1, ColourScheme::kNight);
  if (drawn.bytes) g_kapFuzzSink += drawn.bytes->size();
  const double w = chart->Width();
  const double h = chart->Height();
  for (const PixelPoint p : {PixelPoint{0, 0}, PixelPoint{w, h}, PixelPoint{w / 2, h / 2}}) {
    if (const auto position = chart->PixelToGeo(p)) {
      if (const auto back = chart->GeoToPixel(*position)) g_kapFuzzSink += static_cast<uint64_t>(back->x != 0);
      const MercatorPoint m = MercatorForward(position->lat, position->lon);
      if (const auto pixel = chart->MercatorToPixel(m)) g_kapFuzzSink += static_cast<uint64_t>(pixel->y != 0);
    }
  }
  g_kapFuzzSink += chart->Outline().size() + chart->MercatorOutline().size() + chart->Title().size();
  (void)chart->MercatorMetresPerPixel();
  return 0;
}
