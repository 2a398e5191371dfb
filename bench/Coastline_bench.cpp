// World coastline reading: opening (map and full check), box visits and the
// GeoJSON answer of the map route on the high and crude files, and point
// lookups. Reads the files the build generated in the shipped-files folder.

#include <benchmark/benchmark.h>

#include "charts/coastline/CoastlineFile.h"
#include "charts/coastline/CoastlineGeoJson.h"
#include "core/Paths.h"

namespace tarnwick {
namespace {

std::unique_ptr<CCoastlineFile> OpenWorld(CoastResolution resolution, benchmark::State& state) {
  std::string error;
  auto file = CCoastlineFile::Open(ProgramFolder() / "World" / CoastFileName(resolution), error);
  if (!file) state.SkipWithError(error.c_str());
  return file;
}

// The English Channel and the North Sea: a 10 x 10 degree box full of coast.
constexpr CoastBox kNorthSea{-5, 48, 5, 58};

void BM_CoastOpen(benchmark::State& state) {
  const auto resolution = static_cast<CoastResolution>(state.range(0));
  for (auto _ : state) {
    auto file = OpenWorld(resolution, state);
    if (!file) return;
    benchmark::DoNotOptimize(file->Info().pointCount);
  }
}
BENCHMARK(BM_CoastOpen)->Arg('c')->Arg('h')->Unit(benchmark::kMillisecond);

void BM_CoastVisitHigh10x10(benchmark::State& state) {
  auto file = OpenWorld(CoastResolution::High, state);
  if (!file) return;
  uint64_t points = 0;
  for (auto _ : state) {
    points = 0;
    file->Visit(kNorthSea, [&](const CoastPartView& part) { points += part.count; });
    benchmark::DoNotOptimize(points);
  }
  state.counters["points"] = static_cast<double>(points);
}
BENCHMARK(BM_CoastVisitHigh10x10)->Unit(benchmark::kMicrosecond);

void BM_CoastGeoJson(benchmark::State& state, CoastResolution resolution, CoastBox box) {
  auto file = OpenWorld(resolution, state);
  if (!file) return;
  size_t bytes = 0;
  for (auto _ : state) {
    const std::string json = CoastlineGeoJson(*file, box);
    bytes = json.size();
    benchmark::DoNotOptimize(json.data());
  }
  state.counters["bytes"] = static_cast<double>(bytes);
}
BENCHMARK_CAPTURE(BM_CoastGeoJson, high_10x10, CoastResolution::High, kNorthSea)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_CoastGeoJson, crude_world, CoastResolution::Crude, CoastBox{})
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_CoastGeoJson, low_world, CoastResolution::Low, CoastBox{})
    ->Unit(benchmark::kMillisecond);

void BM_CoastLevelAtHigh(benchmark::State& state) {
  auto file = OpenWorld(CoastResolution::High, state);
  if (!file) return;
  double lat = 48;
  for (auto _ : state) {
    benchmark::DoNotOptimize(file->LevelAt({lat, 2.35}));
    lat = lat > 58 ? 48 : lat + 0.013;
  }
}
BENCHMARK(BM_CoastLevelAtHigh);

}  // namespace
}  // namespace tarnwick
