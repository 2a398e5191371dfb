// Tide prediction on the shipped harmonic database: a year of highs and lows
// of Seattle, a year of a current station's events (slack included), 10,000
// level evaluations spread over a year, and opening a station.

#include <benchmark/benchmark.h>

#include "core/Paths.h"
#include "environment/tides/HarmonicProvider.h"
#include "environment/tides/TideLibrary.h"

namespace tarnwick {
namespace {

constexpr int64_t k2024 = 1704067200;
constexpr int64_t kYear = 366 * 86400;

std::unique_ptr<ITideStation> OpenStation(TideStationKind kind, const std::string& key,
                                          benchmark::State& state) {
  std::string error;
  auto provider = CHarmonicProvider::Open(kind == TideStationKind::Tide ? "noaa_tides" : "noaa_currents", kind,
                                          ProgramFolder() / kShippedHarmonicDatabase, nullptr, error);
  std::unique_ptr<ITideStation> station = provider ? provider->Open(key) : nullptr;
  if (!station) state.SkipWithError(("no station " + key + " " + error).c_str());
  return station;
}

void BM_TideYearOfHighsAndLows(benchmark::State& state) {
  auto station = OpenStation(TideStationKind::Tide, "9447130", state);
  if (!station) return;
  station->Value(k2024);  // the year tables and bounds are read once per program
  size_t events = 0;
  for (auto _ : state) {
    events = station->Events(k2024, k2024 + kYear).size();
    benchmark::DoNotOptimize(events);
  }
  state.counters["events"] = static_cast<double>(events);
}
BENCHMARK(BM_TideYearOfHighsAndLows)->Unit(benchmark::kMillisecond);

void BM_CurrentYearOfEvents(benchmark::State& state) {
  auto station = OpenStation(TideStationKind::Current, "PUG1625_34", state);
  if (!station) return;
  station->Value(k2024);
  size_t events = 0;
  for (auto _ : state) {
    events = station->Events(k2024, k2024 + kYear).size();
    benchmark::DoNotOptimize(events);
  }
  state.counters["events"] = static_cast<double>(events);
}
BENCHMARK(BM_CurrentYearOfEvents)->Unit(benchmark::kMillisecond);

void BM_TideLevel10000(benchmark::State& state) {
  auto station = OpenStation(TideStationKind::Tide, "9447130", state);
  if (!station) return;
  station->Value(k2024);
  for (auto _ : state) {
    double sum = 0;
    for (int i = 0; i < 10000; ++i) sum += *station->Value(k2024 + i * (kYear / 10000));
    benchmark::DoNotOptimize(sum);
  }
}
BENCHMARK(BM_TideLevel10000)->Unit(benchmark::kMillisecond);

void BM_TideOpenStation(benchmark::State& state) {
  std::string error;
  auto provider = CHarmonicProvider::Open("noaa_tides", TideStationKind::Tide,
                                          ProgramFolder() / kShippedHarmonicDatabase, nullptr, error);
  if (!provider) {
    state.SkipWithError(error.c_str());
    return;
  }
  provider->Open("9447130")->Value(k2024);  // years read once
  for (auto _ : state) {
    auto station = provider->Open("9447130");
    benchmark::DoNotOptimize(station->Value(k2024));
  }
}
BENCHMARK(BM_TideOpenStation)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace tarnwick
