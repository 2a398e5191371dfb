// Fuzz target: any bytes read as GRIB records (or expanded from bzip2 first)
// are either refused or give records whose points, JSON line, weather layers
// and values stay in bounds.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "environment/grib/GribFile.h"
#include "environment/grib/GribGeometry.h"
#include "environment/grib/GribJson.h"
#include "environment/grib/WeatherLayerBuilder.h"

// Keeps the results from being optimised away.
size_t g_gribFuzzSink = 0;

namespace {
constexpr size_t kMaxExpanded = 1 << 20;    // bytes a compressed input may expand to here
constexpr size_t kMaxPointsWritten = 4096;  // larger records are written without their points
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace tarnwick;
  std::vector<uint8_t> expanded;
  std::string error;
  if (size >= 3 && data[0] == 'B' && data[1] == 'Z' && data[2] == 'h') {
    if (!ExpandBzip2(data, size, kMaxExpanded, expanded, error)) return 0;
    data = expanded.data();
    size = expanded.size();
  }
  CWeatherLayerBuilder builder;
  std::string line;
  ReadGribRecords(data, size, GribDecode::Values, [&](const GribRecord& record, const GribParseResult&) {
    std::string why;
    const auto geometry = CGribGeometry::Make(record.grid, why);
    line.clear();
    const bool points = geometry && geometry->Count() <= kMaxPointsWritten;
    AppendGribRecordJson(line, record, geometry ? &*geometry : nullptr, points);
    g_gribFuzzSink += line.size();
    if (geometry && geometry->Count() > 0) {
      double lat = 0, lon = 0;
      geometry->Point(geometry->Count() - 1, lat, lon);
      if (const auto at = geometry->Locate(lat, lon)) g_gribFuzzSink += static_cast<size_t>(at->i);
    }
    builder.Add(record, why);
    return true;
  });
  const CWeatherForecast forecast = builder.Finish();
  for (int type : forecast.ListedTypes()) {
    for (int64_t time : forecast.Times()) {
      if (const auto reading = forecast.Reading(type, 10.5, 355.5, time)) g_gribFuzzSink += reading->value > 0;
      if (const auto reading = forecast.Reading(type, -45.25, -170.75, time + 1800)) g_gribFuzzSink += reading->value > 0;
    }
  }
  return 0;
}
