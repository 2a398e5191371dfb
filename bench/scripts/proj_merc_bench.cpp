// PROJ's own ellipsoidal Mercator over the same points as BM_MercatorForwardBatch
// in geo_bench, for the comparison made by compare_proj_merc.sh. Not part of
// the build: the script compiles it against the system's libproj.

#include <benchmark/benchmark.h>
#include <proj.h>

#include <cmath>
#include <random>
#include <vector>

namespace {

void BM_ProjMercBatch(benchmark::State& state) {
  PJ_CONTEXT* ctx = proj_context_create();
  PJ* merc = proj_create(ctx, "+proj=merc +ellps=WGS84 +lon_0=0 +x_0=0 +y_0=0 +k_0=1");
  if (!merc) {
    state.SkipWithError("proj_create failed");
    proj_context_destroy(ctx);
    return;
  }
  const size_t n = static_cast<size_t>(state.range(0));
  // The same generator and seed as the geo_bench positions.
  std::mt19937_64 rng(20260101);
  std::uniform_real_distribution<double> lat(-80.0, 80.0), lon(-180.0, 180.0);
  std::vector<double> lam0(n), phi0(n);
  for (size_t i = 0; i < n; ++i) {
    phi0[i] = lat(rng);
    lam0[i] = lon(rng);
  }
  std::vector<double> x(n), y(n);
  for (auto _ : state) {
    // Input in degrees like MercatorForward's, converted here as part of the work.
    for (size_t i = 0; i < n; ++i) {
      x[i] = lam0[i] * 0.017453292519943295;
      y[i] = phi0[i] * 0.017453292519943295;
    }
    proj_trans_generic(merc, PJ_FWD, x.data(), sizeof(double), n, y.data(), sizeof(double), n,
                       nullptr, 0, 0, nullptr, 0, 0);
    benchmark::DoNotOptimize(x.data());
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations() * state.range(0));
  proj_destroy(merc);
  proj_context_destroy(ctx);
}
BENCHMARK(BM_ProjMercBatch)->Arg(1000)->Arg(100000);

}  // namespace

BENCHMARK_MAIN();
