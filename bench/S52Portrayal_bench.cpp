// Portrayal of every feature of the largest test cells, cold (a new chart
// source and an empty cache: look-up, conditional symbology, the geometry of
// the neighbour queries) and cached (every feature a cache hit). Reads the
// presentation library the build generated in the shipped-files folder and
// the cells of charts/tests/data.

#include <benchmark/benchmark.h>

#include <map>

#include "charts/s52/S52ChartSource.h"
#include "charts/s52/S52Portrayal.h"
#include "charts/s57/S57ChartReader.h"
#include "charts/s57/SencWriter.h"
#include "core/Paths.h"

namespace tarnwick {
namespace {

struct LoadedCell {
  std::unique_ptr<CS57Chart> chart;
  std::string error;
};

const CS52Library& Library(benchmark::State& state) {
  static CS52Library library;
  static std::string error;
  static const bool loaded = library.LoadArchive(ProgramFolder() / kS52ArchiveName, error);
  if (!loaded) state.SkipWithError(error.c_str());
  return library;
}

// The cell compiled with its updates, as the chart view opens it.
const LoadedCell& Cell(const char* relative) {
  static std::map<std::string, LoadedCell> cells;
  auto [it, added] = cells.try_emplace(relative);
  if (added) {
    CS57ChartReader reader(std::filesystem::temp_directory_path());
    const auto path = std::filesystem::path(TW_SOURCE_DIR) / "charts/tests/data/s57" / relative;
    if (auto cell = reader.Compile(path, true, it->second.error))
      it->second.chart = CS57Chart::FromBytes(
          SerializeSenc(SencHeaderOf(cell->header), cell->features, cell->tree), relative, it->second.error);
  }
  return it->second;
}

size_t PortrayAll(CS52Portrayal& portrayal, const CS52ChartSource& source) {
  size_t commands = 0;
  for (uint32_t i = 0; i < source.Chart().FeatureCount(); ++i)
    if (const IS52Feature* feature = source.Feature(i)) commands += portrayal.Portray(*feature, source)->commands.size();
  return commands;
}

void BM_S52PortrayCellCold(benchmark::State& state, const char* relative) {
  const CS52Library& library = Library(state);
  const LoadedCell& cell = Cell(relative);
  if (!cell.chart) return state.SkipWithError(cell.error.c_str());
  size_t commands = 0;
  for (auto _ : state) {
    const CS52ChartSource source(*cell.chart, S52IsInlandCell(*cell.chart));
    CS52Portrayal portrayal(library);
    commands = PortrayAll(portrayal, source);
    benchmark::DoNotOptimize(commands);
  }
  state.counters["features"] = cell.chart->FeatureCount();
  state.counters["commands"] = static_cast<double>(commands);
}

void BM_S52PortrayCellCached(benchmark::State& state, const char* relative) {
  const CS52Library& library = Library(state);
  const LoadedCell& cell = Cell(relative);
  if (!cell.chart) return state.SkipWithError(cell.error.c_str());
  const CS52ChartSource source(*cell.chart, S52IsInlandCell(*cell.chart));
  CS52Portrayal portrayal(library);
  PortrayAll(portrayal, source);
  for (auto _ : state) benchmark::DoNotOptimize(PortrayAll(portrayal, source));
  state.counters["features"] = cell.chart->FeatureCount();
}

// US5HA57M is the largest file (1.6 MB), US1AK90M the most features (4934, with 8 updates).
BENCHMARK_CAPTURE(BM_S52PortrayCellCold, US5HA57M, "noaa_US5HA57M_exchange_set/US5HA57M/US5HA57M.000")
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_S52PortrayCellCached, US5HA57M, "noaa_US5HA57M_exchange_set/US5HA57M/US5HA57M.000")
    ->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_S52PortrayCellCold, US1AK90M, "noaa_US1AK90M_exchange_set/ENC_ROOT/US1AK90M/US1AK90M.000")
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_S52PortrayCellCached, US1AK90M, "noaa_US1AK90M_exchange_set/ENC_ROOT/US1AK90M/US1AK90M.000")
    ->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace tarnwick
