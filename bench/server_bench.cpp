// The live feed's cost with a table of 5,000 AIS targets: what the
// user-interface thread pays per tick, one round of the AIS feed's thread
// with a given number of changed targets (and the size of the "ais" event a
// client then gets), the own-ship JSON, and the "state" event a connecting
// client gets.

#include <benchmark/benchmark.h>

#include "core/Clock.h"
#include "instruments/tests/AisTestMessages.h"
#include "server/AisFeed.h"
#include "server/LiveFeed.h"

namespace tarnwick {
namespace {

constexpr uint32_t kTargets = 5000;
constexpr uint32_t kFirstMmsi = 211000000;
const LatLon kOwn{36.5, 24.1};

OwnShipSnapshot BusySnapshot(uint64_t sequence) {
  OwnShipSnapshot s;
  s.sequence = sequence;
  s.utcMs = 1'717'243'200'000;
  s.fix.quality = kFixGps;
  s.fix.text = "GPS FIX";
  s.fix.source = "GPS on udp://:10110";
  s.fix.position = kOwn;
  s.fix.hdop = 0.9;
  for (auto* value : {&s.cog, &s.sog, &s.headingTrue, &s.headingMagnetic, &s.stw, &s.depth, &s.rot,
                      &s.waterTemperature, &s.wind.apparentSpeed, &s.wind.apparentAngle,
                      &s.wind.trueSpeed, &s.wind.trueDirection})
    *value = OwnShipValue{12.5, 300};
  return s;
}

// Target i's position report; a different speed makes it a change.
void Report(CAisReceiver& receiver, uint32_t i, double sog) {
  const double lat = kOwn.lat - 0.25 + (i % 100) * 0.005;
  const double lon = kOwn.lon - 0.25 + (i / 100) * 0.01;
  const testing::AisPayload p = testing::PositionA(kFirstMmsi + i, lat, lon, sog, i % 360).Payload();
  receiver.DecodeVDM(nullptr, {TickCount(), UtcNowMs()}, testing::Fragment(p));
}

// A receiver with kTargets targets, assessed against the own ship.
void Fill(CAisReceiver& receiver) {
  for (uint32_t i = 0; i < kTargets; ++i) Report(receiver, i, 10.0);
  receiver.UpdateCPA({kOwn, 90.0, 6.0, 90.0, 0}, {});
}

CAisFeed::ChangesSource ChangesOf(CAisReceiver& receiver) {
  return [&receiver](uint64_t since) { return receiver.ChangesSince(since); };
}

// The tick stage "InfoPanel_OnTick" with 5,000 targets: a new own-ship
// snapshot each tick and a changed AIS generation (the worst case: the feed
// is poked every tick), with the AIS thread running beside it.
void BM_LiveFeedTick(benchmark::State& state) {
  CAisReceiver receiver;
  Fill(receiver);
  auto hub = std::make_shared<CEventHub>();
  uint64_t sequence = 0, generation = 0;
  LiveSources sources;
  sources.snapshot = [&sequence] {
    return std::make_shared<const OwnShipSnapshot>(BusySnapshot(++sequence));
  };
  sources.aisChanges = ChangesOf(receiver);
  sources.aisGeneration = [&generation] { return ++generation; };
  sources.route = [] { return nlohmann::json(nullptr); };
  CLiveFeed feed(hub, sources, nullptr);
  for (auto _ : state) feed.Tick();
}
BENCHMARK(BM_LiveFeedTick)->Unit(benchmark::kMicrosecond)->UseRealTime();

// One round of the AIS thread when changed of the 5,000 targets reported
// since the last one, and one client's drain of the "ais" event that follows.
void BM_AisRound(benchmark::State& state) {
  const auto changed = static_cast<uint32_t>(state.range(0));
  CSimulatedClock clock;
  CScopedClock scoped(clock);
  CAisReceiver receiver;
  Fill(receiver);
  auto hub = std::make_shared<CEventHub>(EventHubLimits{.aisIntervalMs = 0});
  CAisFeed feed(hub, ChangesOf(receiver), false);
  feed.PublishChanges();
  auto client = hub->Connect(false);
  hub->Next(*client, 0);
  double sog = 10.0;
  size_t eventBytes = 0;
  for (auto _ : state) {
    state.PauseTiming();
    sog = sog == 10.0 ? 11.0 : 10.0;
    for (uint32_t i = 0; i < changed; ++i) Report(receiver, i, sog);
    state.ResumeTiming();
    feed.PublishChanges();
    eventBytes = hub->Next(*client, 0).value_or("").size();
  }
  state.counters["event_bytes"] = static_cast<double>(eventBytes);
  state.SetItemsProcessed(state.iterations() * changed);
}
BENCHMARK(BM_AisRound)->Arg(0)->Arg(50)->Arg(500)->Arg(5000)->Unit(benchmark::kMillisecond);

void BM_OwnShipJson(benchmark::State& state) {
  const OwnShipSnapshot snapshot = BusySnapshot(1);
  SensorMenu menu;
  menu.positions.push_back({"GPS", 0.9, true, true, "GPS (HDOP=0.90)"});
  for (auto _ : state) benchmark::DoNotOptimize(JsonText(OwnShipJson(snapshot, menu)));
}
BENCHMARK(BM_OwnShipJson);

void BM_StateEventFor5000Targets(benchmark::State& state) {
  CAisReceiver receiver;
  Fill(receiver);
  auto hub = std::make_shared<CEventHub>();
  CAisFeed(hub, ChangesOf(receiver), false).PublishChanges();
  hub->SetOwnShip(JsonText(OwnShipJson(BusySnapshot(1), {})));
  for (int i = 0; i < 20; ++i) hub->PostNotification(R"({"id":1,"kind":"info","text":"x"})");
  size_t bytes = 0;
  for (auto _ : state) {
    auto cursor = hub->Connect(false);
    bytes = hub->Next(*cursor, 0).value_or("").size();
    hub->Disconnect(*cursor);
  }
  state.counters["event_bytes"] = static_cast<double>(bytes);
}
BENCHMARK(BM_StateEventFor5000Targets)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace tarnwick
