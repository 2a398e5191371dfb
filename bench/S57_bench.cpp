// S-57 charts: compiling the largest test cells into a SENC (the NOAA Arctic
// cell with its 8 updates, the NOAA harbour cell), writing it, opening a SENC
// (a memory map and its checks), a view query through the tree, and a whole
// set of test cells compiled on one thread and on two.
// GDAL's time for the same cells: bench/scripts/senc_vs_ogrinfo.sh.

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>

#include "charts/s57/ExchangeSet.h"
#include "charts/s57/S57Chart.h"
#include "charts/s57/S57ChartReader.h"
#include "charts/s57/SencWriter.h"

namespace tarnwick {
namespace {

const std::filesystem::path kData = std::filesystem::path(TW_SOURCE_DIR) / "charts/tests/data/s57";
const std::filesystem::path kArctic = kData / "noaa_US1AK90M_exchange_set/ENC_ROOT/US1AK90M/US1AK90M.000";
const std::filesystem::path kHarbour = kData / "noaa_US5HA57M_exchange_set/US5HA57M/US5HA57M.000";

std::filesystem::path ScratchFolder() {
  static const std::filesystem::path folder = [] {
    std::string pattern = (std::filesystem::temp_directory_path() / "tarnwick-bench-XXXXXX").string();
    const char* made = mkdtemp(pattern.data());
    return std::filesystem::path(made ? made : "/tmp");
  }();
  return folder;
}

// Reading, updating, compiling, projecting and the tree, in memory.
void BM_CompileCell(benchmark::State& state, const std::filesystem::path& cell) {
  CS57ChartReader reader(ScratchFolder());
  size_t features = 0;
  for (auto _ : state) {
    std::string error;
    auto compiled = reader.Compile(cell, true, error);
    if (!compiled) state.SkipWithError(error.c_str());
    features = compiled ? compiled->features.size() : 0;
    benchmark::DoNotOptimize(compiled);
  }
  state.counters["features"] = static_cast<double>(features);
}
BENCHMARK_CAPTURE(BM_CompileCell, US1AK90M_with_8_updates, kArctic)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_CompileCell, US5HA57M, kHarbour)->Unit(benchmark::kMillisecond);

// The whole build as the program does it: compile, serialise, write the file.
void BM_BuildSencFile(benchmark::State& state, const std::filesystem::path& cell) {
  CS57ChartReader reader(ScratchFolder() / "build");
  for (auto _ : state) {
    std::string error;
    if (!reader.BuildSencFile(cell, error)) state.SkipWithError(error.c_str());
  }
}
BENCHMARK_CAPTURE(BM_BuildSencFile, US1AK90M_with_8_updates, kArctic)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_BuildSencFile, US5HA57M, kHarbour)->Unit(benchmark::kMillisecond);

std::filesystem::path BuiltSenc(const std::filesystem::path& cell) {
  CS57ChartReader reader(ScratchFolder() / "open");
  std::string error;
  if (reader.NeedsRebuild(cell)) reader.BuildSencFile(cell, error);
  return reader.SencPath(cell);
}

void BM_OpenSenc(benchmark::State& state, const std::filesystem::path& cell) {
  const std::filesystem::path senc = BuiltSenc(cell);
  for (auto _ : state) {
    std::string error;
    auto chart = CS57Chart::Open(senc, error);
    if (!chart) state.SkipWithError(error.c_str());
    benchmark::DoNotOptimize(chart);
  }
}
BENCHMARK_CAPTURE(BM_OpenSenc, US1AK90M, kArctic)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_OpenSenc, US5HA57M, kHarbour)->Unit(benchmark::kMicrosecond);

// A view of 1/range(0) of the chart's extent in each direction, at its
// centre: the features that meet it, and with range(1) also every point of
// their parts (what drawing them reads).
void BM_ViewQuery(benchmark::State& state) {
  std::string error;
  auto chart = CS57Chart::Open(BuiltSenc(kHarbour), error);
  if (!chart) {
    state.SkipWithError(error.c_str());
    return;
  }
  const ProjectedBox e = chart->Extent();
  const double fraction = 1.0 / static_cast<double>(state.range(0));
  const double cx = (e.west + e.east) / 2, cy = (e.south + e.north) / 2;
  const double hw = (e.east - e.west) * fraction / 2, hh = (e.north - e.south) * fraction / 2;
  const ProjectedBox view{cy + hh, cx - hw, cy - hh, cx + hw};
  size_t features = 0;
  for (auto _ : state) {
    features = 0;
    double sum = 0;
    chart->Query(view, [&](const S57FeatureView& f) {
      ++features;
      if (state.range(1) == 0) return;
      for (const S57PartView part : f.Parts())
        for (uint32_t i = 0; i < part.Count(); ++i) sum += part.Point(i).x;
    });
    benchmark::DoNotOptimize(sum);
  }
  state.counters["features"] = static_cast<double>(features);
}
BENCHMARK(BM_ViewQuery)->ArgsProduct({{1, 4, 16}, {0, 1}})->Unit(benchmark::kMicrosecond);

// Every test cell (19, the Arctic cell with its updates among them), forced,
// on range(0) threads.
void BM_ExchangeSets(benchmark::State& state) {
  std::vector<std::unique_ptr<CExchangeSet>> sets;
  std::vector<SencBuildJob> jobs;
  for (const char* folder : {"noaa_US1AK90M_exchange_set", "noaa_US5HA57M_exchange_set",
                             "s64_2_1_1_power_up", "inland_ienc_test_2.1",
                             "inland_ienc_2.3_external_files"}) {
    sets.push_back(std::make_unique<CExchangeSet>(CExchangeSet::Scan(kData / folder)));
    for (const auto& cell : sets.back()->Cells()) jobs.push_back({cell.base, sets.back().get()});
  }
  const auto threads = static_cast<unsigned>(state.range(0));
  for (auto _ : state) {
    const auto outcomes = BuildSencFiles(jobs, ScratchFolder() / "sets", threads, true, {});
    benchmark::DoNotOptimize(outcomes);
  }
  state.counters["cells"] = static_cast<double>(jobs.size());
}
BENCHMARK(BM_ExchangeSets)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
}  // namespace tarnwick
