// AIS traffic generation: encoding and framing single messages, reading the
// demo's two-hour instrument log into a track, and simulating the demo fleet
// over it.

#include <benchmark/benchmark.h>

#include <fstream>
#include <sstream>
#include <string>

#include "instruments/ais/sim/AisEncoder.h"
#include "instruments/ais/sim/AisTargetSimulator.h"
#include "instruments/ais/sim/OwnShipTrack.h"
#include "instruments/ais/sim/VdmWriter.h"

namespace tarnwick {
namespace {

constexpr int64_t kDay = 1'623'456'000'000;  // 2021-06-12T00:00:00Z

const std::string& SailLog() {
  static const std::string text = [] {
    std::ifstream in(std::string(TW_SOURCE_DIR) + "/app/demo/plaka.log");
    std::stringstream buffer;
    buffer << in.rdbuf();
    return buffer.str();
  }();
  return text;
}

AisMessage Message(int type) {
  AisMessage m;
  m.type = type;
  m.mmsi = 230990001;
  m.part = 1;
  AisPositionReport p;
  p.lat = 60.08;
  p.lon = 23.53;
  p.sog = 120;
  p.cog = 901;
  p.heading = 90;
  p.second = 12;
  m.position = p;
  AisStaticData s;
  s.name = "NORDIC STAR";
  s.callsign = "OJQX1";
  s.destination = "HAMINA";
  m.statics = s;
  return m;
}

void BM_EncodeAndFrame(benchmark::State& state) {
  const AisMessage message = Message(static_cast<int>(state.range(0)));
  CVdmWriter writer;
  for (auto _ : state) {
    auto sentences = writer.Sentences(*EncodeAisMessage(message), 'A');
    benchmark::DoNotOptimize(sentences);
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_EncodeAndFrame)->Arg(1)->Arg(5)->Arg(18)->Arg(24);

void BM_ReadSailLog(benchmark::State& state) {
  size_t lines = 0;
  for (auto _ : state) {
    std::istringstream in(SailLog());
    const OwnShipLog log = ReadOwnShipLog(in, kDay);
    lines += log.lines.size();
    benchmark::DoNotOptimize(log.fixes.data());
  }
  state.SetItemsProcessed(static_cast<int64_t>(lines));
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * SailLog().size()));
}
BENCHMARK(BM_ReadSailLog)->Unit(benchmark::kMillisecond);

void BM_SimulateDemoFleet(benchmark::State& state) {
  std::istringstream in(SailLog());
  const auto track = ReadOwnShipLog(in, kDay).fixes;
  size_t sentences = 0;
  for (auto _ : state) {
    const auto traffic = CAisTargetSimulator(track, DemoFleet(), 1).Run();
    sentences += traffic.size();
  }
  state.SetItemsProcessed(static_cast<int64_t>(sentences));
}
BENCHMARK(BM_SimulateDemoFleet)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace tarnwick
