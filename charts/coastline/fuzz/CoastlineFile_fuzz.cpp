// Fuzz target: any bytes given to the coastline reader are either refused or
// give a file whose whole-world visit, GeoJSON and point lookups stay in
// bounds. The checksum is skipped so that the structural checks get the bytes.

#include <cstddef>
#include <cstdint>
#include <string>

#include "charts/coastline/CoastlineFile.h"
#include "charts/coastline/CoastlineGeoJson.h"

// Keeps the point reads of the visit from being optimised away.
uint64_t g_coastFuzzSink = 0;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace tarnwick;
  std::string error;
  auto file = CCoastlineFile::FromBytes(std::string(reinterpret_cast<const char*>(data), size),
                                        error, /*checkCrc=*/false);
  if (!file) return 0;
  uint64_t points = 0;
  file->Visit({}, [&](const CoastPartView& part) {
    for (uint32_t i = 0; i < part.count; ++i) points += part.Raw(i).x;
  });
  (void)file->LevelAt({45, 10});
  (void)file->LevelAt({-89.9, -179.9});
  (void)CoastlineGeoJson(*file, {170, -90, 190, 90});
  g_coastFuzzSink += points;
  return 0;
}
