// Speed of the navigation mathematics: distance and bearing in both sailing
// modes, the Mercator projection (single and batch), its inverse, magnetic
// variation and position parsing.

#include <benchmark/benchmark.h>

#include <random>
#include <vector>

#include "core/geo/Geodesy.h"
#include "core/geo/MagneticVariation.h"
#include "core/geo/Mercator.h"
#include "core/units/PositionText.h"

namespace tarnwick {
namespace {

// Reproducible positions spread over the navigable world.
std::vector<LatLon> RandomPositions(size_t n) {
  std::mt19937_64 rng(20260101);
  std::uniform_real_distribution<double> lat(-80.0, 80.0), lon(-180.0, 180.0);
  std::vector<LatLon> points(n);
  for (LatLon& p : points) p = LatLon{lat(rng), lon(rng)};
  return points;
}

const std::vector<LatLon>& Positions() {
  static const std::vector<LatLon> points = RandomPositions(4096);
  return points;
}

void BM_Distance(benchmark::State& state) {
  const Sailing sailing = static_cast<Sailing>(state.range(0));
  const auto& p = Positions();
  size_t i = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(Distance(p[i], p[i + 1], sailing));
    i = (i + 2) & (p.size() - 2);
  }
  state.SetItemsProcessed(state.iterations());
  state.SetLabel(sailing == Sailing::GreatCircle ? "great-circle" : "rhumb line");
}
BENCHMARK(BM_Distance)->Arg(0)->Arg(1);

void BM_Bearing(benchmark::State& state) {
  const Sailing sailing = static_cast<Sailing>(state.range(0));
  const auto& p = Positions();
  size_t i = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(Bearing(p[i], p[i + 1], sailing));
    i = (i + 2) & (p.size() - 2);
  }
  state.SetItemsProcessed(state.iterations());
  state.SetLabel(sailing == Sailing::GreatCircle ? "great-circle" : "rhumb line");
}
BENCHMARK(BM_Bearing)->Arg(0)->Arg(1);

void BM_CrossTrackDistance(benchmark::State& state) {
  const auto& p = Positions();
  size_t i = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(CrossTrackDistance(p[i], p[i + 1], p[i + 2], Sailing::GreatCircle));
    i = (i + 3) % (p.size() - 3);
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_CrossTrackDistance);

void BM_MercatorForwardBatch(benchmark::State& state) {
  const std::vector<LatLon> points = RandomPositions(static_cast<size_t>(state.range(0)));
  std::vector<MercatorPoint> out(points.size());
  for (auto _ : state) {
    MercatorForward(points, out);
    benchmark::DoNotOptimize(out.data());
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_MercatorForwardBatch)->Arg(1000)->Arg(100000);

void BM_MercatorForward(benchmark::State& state) {
  const auto& p = Positions();
  size_t i = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(MercatorForward(p[i].lat, p[i].lon));
    i = (i + 1) & (p.size() - 1);
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_MercatorForward);

void BM_MercatorInverse(benchmark::State& state) {
  std::vector<MercatorPoint> xy(Positions().size());
  MercatorForward(Positions(), xy);
  size_t i = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(MercatorInverse(xy[i].x, xy[i].y));
    i = (i + 1) & (xy.size() - 1);
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_MercatorInverse);

void BM_MagneticVariation(benchmark::State& state) {
  const auto& p = Positions();
  const long day = JulianDayNumber(2026, 6, 1);
  size_t i = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(
        MagneticVariation(p[i].lat * kDegToRad, p[i].lon * kDegToRad, 0.0, day));
    i = (i + 1) & (p.size() - 1);
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_MagneticVariation);

void BM_ParseLatLon(benchmark::State& state) {
  const char* texts[] = {"47 36.5N 122 20.1W", "N47 36.5 W122 20.1", "47°36'30\"N 122°20'06\"W",
                         "33 51.6S 151 12.6E NAD27"};
  size_t i = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(ParseLatLon(texts[i]));
    i = (i + 1) & 3;
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_ParseLatLon);

}  // namespace
}  // namespace tarnwick
