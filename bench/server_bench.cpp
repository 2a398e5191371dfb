// The live feed's cost per tick and per client: building the own-ship JSON
// from a snapshot, publishing a table of 200 AIS targets, one client's drain
// of an AIS change, and the "state" event a connecting client gets.

#include <benchmark/benchmark.h>

#include <map>

#include "server/EventHub.h"
#include "server/LiveJson.h"

namespace tarnwick {
namespace {

constexpr int kTargets = 200;

OwnShipSnapshot BusySnapshot() {
  OwnShipSnapshot s;
  s.sequence = 1;
  s.utcMs = 1'717'243'200'000;
  s.fix.quality = kFixGps;
  s.fix.text = "GPS FIX";
  s.fix.source = "GPS on udp://:10110";
  s.fix.position = LatLon{36.5, 24.1};
  s.fix.hdop = 0.9;
  for (auto* value : {&s.cog, &s.sog, &s.headingTrue, &s.headingMagnetic, &s.stw, &s.depth, &s.rot,
                      &s.waterTemperature, &s.wind.apparentSpeed, &s.wind.apparentAngle,
                      &s.wind.trueSpeed, &s.wind.trueDirection})
    *value = OwnShipValue{12.5, 300};
  return s;
}

CAisTarget Target(uint32_t mmsi) {
  CAisTarget t;
  t.mmsi = mmsi;
  t.transponderClass = 'A';
  t.name = "VESSEL " + std::to_string(mmsi);
  t.lat = 36.5 + mmsi % 100 * 0.001;
  t.lon = 24.1;
  t.cogDegrees = 90;
  t.sogKnots = 12;
  t.range = 2.5;
  t.bearing = 45;
  t.cpa = 0.8;
  t.tcpa = 900;
  t.shipType = 70;
  return t;
}

std::map<uint32_t, std::string> Table(int generation) {
  std::map<uint32_t, std::string> table;
  for (int i = 0; i < kTargets; ++i) {
    CAisTarget t = Target(211000000 + i);
    t.sogKnots += generation % 2;
    table[t.mmsi] = JsonText(AisTargetJson(t, 0));
  }
  return table;
}

void BM_OwnShipJson(benchmark::State& state) {
  const OwnShipSnapshot snapshot = BusySnapshot();
  SensorMenu menu;
  menu.positions.push_back({"GPS", 0.9, true, true, "GPS (HDOP=0.90)"});
  for (auto _ : state) benchmark::DoNotOptimize(JsonText(OwnShipJson(snapshot, menu)));
}
BENCHMARK(BM_OwnShipJson);

void BM_AisTableToJson(benchmark::State& state) {
  for (auto _ : state) benchmark::DoNotOptimize(Table(0));
  state.SetItemsProcessed(state.iterations() * kTargets);
}
BENCHMARK(BM_AisTableToJson);

void BM_PublishAndDrainAisChange(benchmark::State& state) {
  CEventHub hub(EventHubLimits{.aisIntervalMs = 0});
  auto cursor = hub.Connect(false);
  hub.Next(*cursor, 0);
  const auto a = Table(0), b = Table(1);
  int generation = 0;
  for (auto _ : state) {
    hub.SetAisTargets(++generation % 2 ? b : a);
    benchmark::DoNotOptimize(hub.Next(*cursor, 0));
  }
  state.SetItemsProcessed(state.iterations() * kTargets);
}
BENCHMARK(BM_PublishAndDrainAisChange);

void BM_StateEventFor200Targets(benchmark::State& state) {
  CEventHub hub;
  hub.SetOwnShip(JsonText(OwnShipJson(BusySnapshot(), {})));
  hub.SetAisTargets(Table(0));
  for (int i = 0; i < 20; ++i) hub.PostNotification(R"({"id":1,"kind":"info","text":"x"})");
  for (auto _ : state) {
    auto cursor = hub.Connect(false);
    benchmark::DoNotOptimize(hub.Next(*cursor, 0));
    hub.Disconnect(*cursor);
  }
}
BENCHMARK(BM_StateEventFor200Targets);

}  // namespace
}  // namespace tarnwick
