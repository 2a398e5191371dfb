// GRIB1 decoding: every record of a large multi-record file unpacked (values
// only, and values with each point's position as ecCodes' grib_get_data
// gives them), the dump line of every point, and the load into weather
// layers. The file is TW_GRIB_BENCH_FILE when set (bench/scripts/
// grib_vs_eccodes.sh builds it), else the test files repeated in memory.

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <fstream>
#include <iterator>

#include "environment/grib/GribFile.h"
#include "environment/grib/GribGeometry.h"
#include "environment/grib/GribJson.h"
#include "environment/grib/WeatherLayerBuilder.h"

namespace tarnwick {
namespace {

// The test files whose every record ecCodes and this reader both place.
constexpr const char* kFiles[] = {
    "era5-single-level-scalar-time.grib", "fields_with_missing_values.grib", "multi_param_on_multi_dims.grib",
    "uv_on_different_levels.grib", "rotated_ll.grib1", "CMC_reg_WIND_ISBL_300_ps60km_2010052400_P012.grib",
    "regular_latlon_surface.grib1", "ncep-seasonal-monthly.grib", "forecast_monthly_ukmo.grib",
    "t_time_series.grib", "wind_20x20.grib", "fixtures/waves.grb"};
constexpr int kRepeats = 20;

const std::string& BenchFile() {
  static const std::string bytes = [] {
    const auto read = [](const std::string& path) {
      std::ifstream in(path, std::ios::binary);
      return std::string((std::istreambuf_iterator<char>(in)), {});
    };
    if (const char* path = std::getenv("TW_GRIB_BENCH_FILE")) return read(path);
    std::string one;
    for (const char* name : kFiles) one += read(std::string(TW_SOURCE_DIR) + "/environment/tests/data/grib/" + name);
    std::string all;
    for (int i = 0; i < kRepeats; ++i) all += one;
    return all;
  }();
  return bytes;
}

const uint8_t* Data() {
  return reinterpret_cast<const uint8_t*>(BenchFile().data());
}

void Report(benchmark::State& state, size_t points) {
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * BenchFile().size()));
  state.counters["points"] = benchmark::Counter(static_cast<double>(points), benchmark::Counter::kIsIterationInvariantRate);
}

void BM_GribDecodeValues(benchmark::State& state) {
  size_t points = 0;
  for (auto _ : state) {
    points = 0;
    ReadGribRecords(Data(), BenchFile().size(), GribDecode::Values, [&](const GribRecord& r, const GribParseResult&) {
      points += r.values.size();
      benchmark::DoNotOptimize(r.values.data());
      return true;
    });
  }
  Report(state, points);
}
BENCHMARK(BM_GribDecodeValues)->Unit(benchmark::kMillisecond);

// What grib_get_data computes: each point's latitude, longitude and value.
void BM_GribDecodePoints(benchmark::State& state) {
  size_t points = 0;
  std::vector<double> lats, lons;
  for (auto _ : state) {
    points = 0;
    ReadGribRecords(Data(), BenchFile().size(), GribDecode::Values, [&](const GribRecord& r, const GribParseResult&) {
      std::string why;
      const auto geometry = CGribGeometry::Make(r.grid, why);
      if (!geometry || !r.decoded) return true;
      lats.resize(r.values.size());
      lons.resize(r.values.size());
      for (size_t k = 0; k < r.values.size(); ++k) geometry->Point(k, lats[k], lons[k]);
      points += r.values.size();
      benchmark::DoNotOptimize(lats.data());
      benchmark::DoNotOptimize(lons.data());
      return true;
    });
  }
  Report(state, points);
}
BENCHMARK(BM_GribDecodePoints)->Unit(benchmark::kMillisecond);

// The text of `tarnwick grib dump --values`, without writing it.
void BM_GribDumpText(benchmark::State& state) {
  size_t points = 0;
  std::string out;
  for (auto _ : state) {
    points = 0;
    ReadGribRecords(Data(), BenchFile().size(), GribDecode::Values, [&](const GribRecord& r, const GribParseResult&) {
      std::string why;
      const auto geometry = CGribGeometry::Make(r.grid, why);
      out.clear();
      AppendGribRecordJson(out, r, geometry ? &*geometry : nullptr, true);
      points += r.values.size();
      benchmark::DoNotOptimize(out.data());
      return true;
    });
  }
  Report(state, points);
}
BENCHMARK(BM_GribDumpText)->Unit(benchmark::kMillisecond);

void BM_GribLayers(benchmark::State& state) {
  size_t grids = 0;
  for (auto _ : state) {
    CWeatherLayerBuilder builder;
    ReadGribRecords(Data(), BenchFile().size(), GribDecode::Values, [&](const GribRecord& r, const GribParseResult&) {
      std::string why;
      builder.Add(r, why);
      return true;
    });
    grids = builder.Finish().Grids().size();
  }
  state.counters["grids"] = static_cast<double>(grids);
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * BenchFile().size()));
}
BENCHMARK(BM_GribLayers)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace tarnwick
