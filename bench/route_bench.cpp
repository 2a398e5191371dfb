// Speed of the route navigator: one own-ship update of an active route with
// the boundary circles of a few hundred marks, the passing test alone, and
// composing the five autopilot sentences of a leg.

#include <benchmark/benchmark.h>

#include <random>
#include <vector>

#include "navobjects/navigation/AutopilotOutput.h"
#include "navobjects/navigation/NavController.h"

namespace tarnwick {
namespace {

class Quiet final : public INavAnnouncer {
 public:
  void Speak(const std::string&) override {}
  void ShowMessageBar(const std::string&) override {}
  void Sound(NavSound) override {}
};

// A zig-zag route of 20 waypoints off 50N 1W and 500 marks around it, one in
// five with a boundary circle.
struct Scene {
  std::shared_ptr<CRoute> route = std::make_shared<CRoute>();
  std::vector<std::shared_ptr<CMark>> marks;
  Scene() {
    for (int i = 0; i < 20; ++i) {
      auto mark = std::make_shared<CMark>();
      mark->position = {50.0 + (i % 2) * 0.05, -1.0 + i * 0.05};
      route->InsertMarkAt(route->Marks().size(), mark);
    }
    std::mt19937_64 rng(7);
    std::uniform_real_distribution<double> lat(49.9, 50.2), lon(-1.1, 0.1);
    for (int i = 0; i < 500; ++i) {
      auto mark = std::make_shared<CMark>();
      mark->position = {lat(rng), lon(rng)};
      mark->boundaryCircleOffLimits = i % 5 == 0 ? kBoundaryCircleAnnounce : kBoundaryCircleNone;
      marks.push_back(mark);
    }
  }
};

void BM_NavigatorUpdate(benchmark::State& state) {
  Scene scene;
  CNavController nav(std::make_shared<Quiet>());
  if (state.range(0) != 0) nav.SetMarkSource([&] { return scene.marks; });
  OwnShipInput in;
  in.fixValid = true;
  in.cogDegrees = 45;
  in.sogKnots = 8;
  in.position = LatLon{49.99, -1.01};
  nav.Update(in);
  nav.Activate(scene.route);
  double step = 0;
  for (auto _ : state) {
    // Creep along the first leg without reaching it, so every update tests.
    step = step > 0.02 ? 0 : step + 1e-5;
    in.position = LatLon{49.99 + step, -1.01 + step};
    nav.Update(in);
    benchmark::DoNotOptimize(nav.Leg());
  }
}
BENCHMARK(BM_NavigatorUpdate)->Arg(0)->Arg(1)->ArgName("marks");

void BM_PassingTest(benchmark::State& state) {
  const LatLon origin{49.9, -1.1}, w{50.0, -1.0}, next{50.05, -0.95};
  double step = 0;
  for (auto _ : state) {
    step = step > 0.01 ? 0 : step + 1e-6;
    benchmark::DoNotOptimize(
        TestWaypointPassing({49.98 + step, -1.02}, {49.98 + step, -1.019}, origin, w, next, 0.1));
  }
}
BENCHMARK(BM_PassingTest);

void BM_ComposeLegSentences(benchmark::State& state) {
  ActiveLeg leg;
  leg.waypointName = "002";
  leg.originName = "001";
  leg.origin = {50, -1};
  leg.waypoint = {50.05, -0.95};
  leg.ownShip = {50.01, -0.99};
  leg.geometry = ComputeLegGeometry(leg.origin, leg.waypoint, leg.ownShip);
  leg.positionCurrent = true;
  for (auto _ : state) benchmark::DoNotOptimize(ComposeLegSentences(leg, true, 1'767'225'600'000));
}
BENCHMARK(BM_ComposeLegSentences);

}  // namespace
}  // namespace tarnwick
