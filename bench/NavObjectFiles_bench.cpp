// Writing and reading object files and GPX: a layer of 1000 marks, a
// 200-waypoint route and a 10000-point track, as a navigator's busy layer.

#include <benchmark/benchmark.h>

#include "navobjects/files/Gpx.h"
#include "navobjects/files/NobReader.h"
#include "navobjects/files/NobWriter.h"
#include "navobjects/model/FileTime.h"
#include "navobjects/model/Route.h"
#include "navobjects/model/Track.h"

namespace tarnwick {
namespace {

std::vector<std::shared_ptr<CNavObject>> BusyLayer() {
  std::vector<std::shared_ptr<CNavObject>> objects;
  auto route = std::make_shared<CRoute>();
  route->name = "Passage";
  objects.push_back(route);
  for (int i = 0; i < 1000; ++i) {
    auto mark = std::make_shared<CMark>();
    mark->position = {50 + i * 0.001, -4 - i * 0.002};
    mark->name = "Mark " + std::to_string(i);
    mark->arrivalCircleRadius = Length{0.1, LengthUnit::NauticalMiles};
    if (i < 200) route->InsertMarkAt(route->Marks().size(), mark);
    objects.push_back(mark);
  }
  auto track = std::make_shared<CTrack>();
  const FileTime start = FileTimeFromUnixMs(1'717'243'200'000);
  for (int i = 0; i < 10000; ++i)
    track->points.push_back({FileTime{start.ticks + i * 10'000'000LL},
                             {50 + i * 0.0001, -4 + i * 0.0001},
                             i % 3 ? 12.5 : 0});
  objects.push_back(track);
  return objects;
}

void BM_WriteNob(benchmark::State& state) {
  const auto objects = BusyLayer();
  size_t bytes = 0;
  for (auto _ : state) {
    std::string text = WriteNobDocument(objects);
    bytes += text.size();
    benchmark::DoNotOptimize(text);
  }
  state.SetBytesProcessed(static_cast<int64_t>(bytes));
}
BENCHMARK(BM_WriteNob)->Unit(benchmark::kMillisecond);

void BM_ReadNob(benchmark::State& state) {
  const std::string text = WriteNobDocument(BusyLayer());
  for (auto _ : state) {
    NobReadResult result = ReadNobDocument(text);
    benchmark::DoNotOptimize(result.objects);
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * text.size()));
}
BENCHMARK(BM_ReadNob)->Unit(benchmark::kMillisecond);

void BM_WriteGpx(benchmark::State& state) {
  const auto objects = BusyLayer();
  for (auto _ : state) {
    std::string text = WriteGpxDocument(objects);
    benchmark::DoNotOptimize(text);
  }
}
BENCHMARK(BM_WriteGpx)->Unit(benchmark::kMillisecond);

void BM_ReadGpx(benchmark::State& state) {
  const std::string text = WriteGpxDocument(BusyLayer());
  for (auto _ : state) {
    GpxReadResult result = ReadGpxDocument(text);
    benchmark::DoNotOptimize(result.objects);
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * text.size()));
}
BENCHMARK(BM_ReadGpx)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace tarnwick
