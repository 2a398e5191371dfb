// Fuzz target: any bytes given to the SENC reader are either refused or give
// a chart whose every feature, attribute, part and tree node can be read
// without leaving the bytes.

#include <cstddef>
#include <cstdint>
#include <string>

#include "charts/s57/S57Chart.h"

// Keeps the reads from being optimised away.
uint64_t g_sencFuzzSink = 0;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace tarnwick;
  std::string error;
  auto chart = CS57Chart::FromBytes(std::string(reinterpret_cast<const char*>(data), size), "fuzz", error);
  if (!chart) return 0;
  for (uint32_t i = 0; i < chart->FeatureCount(); ++i) {
    const auto feature = chart->Feature(i);
    if (!feature) continue;
    g_sencFuzzSink += static_cast<uint64_t>(feature->Scamin()) + feature->Box().Empty();
    for (uint32_t a = 0; a < feature->AttributeCount(); ++a) g_sencFuzzSink += feature->AttributeValue(a).size();
    for (const S57PartView part : feature->Parts())
      for (uint32_t p = 0; p < part.Count(); ++p)
        g_sencFuzzSink += static_cast<uint64_t>(part.Point(p).y) + static_cast<uint64_t>(part.Depth(p));
  }
  chart->Query({1e300, -1e300, -1e300, 1e300}, [](const S57FeatureView& f) { g_sencFuzzSink += f.Index(); });
  g_sencFuzzSink += chart->Properties().size() + chart->InfoProperties().size();
  return 0;
}
