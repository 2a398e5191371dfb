// The reference for grib_bench: ecCodes decoding each message of the same
// file in process the way its grib_get_data tool does (every point's
// latitude, longitude and value through codes_grib_get_data). Built and run
// by bench/scripts/grib_vs_eccodes.sh; reads TW_GRIB_BENCH_FILE.

#include <benchmark/benchmark.h>
#include <eccodes.h>

#include <cstdio>
#include <cstdlib>
#include <vector>

static void BM_EcCodesGetData(benchmark::State& state) {
  const char* path = std::getenv("TW_GRIB_BENCH_FILE");
  if (!path) {
    state.SkipWithError("TW_GRIB_BENCH_FILE is not set");
    return;
  }
  size_t points = 0;
  std::vector<double> lats, lons, values;
  for (auto _ : state) {
    points = 0;
    FILE* in = std::fopen(path, "rb");
    int error = 0;
    while (codes_handle* h = codes_handle_new_from_file(nullptr, in, PRODUCT_GRIB, &error)) {
      long count = 0;
      if (codes_get_long(h, "numberOfPoints", &count) == 0 && count > 0) {
        lats.resize(count);
        lons.resize(count);
        values.resize(count);
        if (codes_grib_get_data(h, lats.data(), lons.data(), values.data()) == 0) points += count;
        benchmark::DoNotOptimize(values.data());
      }
      codes_handle_delete(h);
    }
    std::fclose(in);
  }
  state.counters["points"] = benchmark::Counter(static_cast<double>(points), benchmark::Counter::kIsIterationInvariantRate);
}
BENCHMARK(BM_EcCodesGetData)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
