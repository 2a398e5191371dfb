// AIS throughput: reassembly and dispatch of a real mixed log, and the
// "UpdateAIS" pass over a busy port's worth of targets.

#include <benchmark/benchmark.h>

#include <fstream>
#include <string>
#include <vector>

#include "core/Clock.h"
#include "core/geo/Geodesy.h"
#include "instruments/ais/AisReceiver.h"
#include "instruments/ais/VdmSentence.h"

namespace tarnwick {
namespace {

struct Log {
  std::vector<std::string> lines;
  std::vector<VdmFragment> fragments;  // views into lines
  size_t messages = 0;
};

const Log& MixedLog() {
  static const Log log = [] {
    Log l;
    for (const char* name : {"sample.aivdm", "nais300-merrimac.log", "ait250.log"}) {
      std::ifstream in(std::string(TW_SOURCE_DIR) + "/instruments/tests/data/ais/" + name);
      for (std::string line; std::getline(in, line);) l.lines.push_back(line);
    }
    for (const std::string& line : l.lines) {
      if (auto f = ParseVdmSentence(line)) {
        l.fragments.push_back(*f);
        if (f->number == f->count) ++l.messages;
      }
    }
    return l;
  }();
  return log;
}

// Reassembly and dispatch of the fragments (framing already done).
void BM_AisReassembleAndDispatch(benchmark::State& state) {
  const Log& log = MixedLog();
  CAisReceiver receiver;
  for (auto _ : state) {
    for (const VdmFragment& f : log.fragments) receiver.DecodeVDM(nullptr, {1000, 0}, f);
  }
  state.SetItemsProcessed(static_cast<int64_t>(state.iterations() * log.messages));
  state.counters["messages_per_s"] = benchmark::Counter(
      static_cast<double>(state.iterations() * log.messages), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_AisReassembleAndDispatch);

// The same from text lines: framing and checksum, reassembly, dispatch.
void BM_AisLinesToTargets(benchmark::State& state) {
  const Log& log = MixedLog();
  CAisReceiver receiver;
  for (auto _ : state) {
    for (const std::string& line : log.lines) {
      if (auto f = ParseVdmSentence(line)) receiver.DecodeVDM(nullptr, {1000, 0}, *f);
    }
  }
  state.counters["messages_per_s"] = benchmark::Counter(
      static_cast<double>(state.iterations() * log.messages), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_AisLinesToTargets);

// "UpdateAIS" over N moving targets within 20 nm of the own vessel.
void BM_AisUpdate(benchmark::State& state) {
  CSimulatedClock clock;
  CScopedClock scoped(clock);
  CAisReceiver receiver;
  const LatLon own{50.0, -1.0};
  const int count = static_cast<int>(state.range(0));
  // Every target reports again each minute, as busy traffic does, so none
  // ages out however long the benchmark runs.
  auto report = [&] {
    for (int i = 0; i < count; ++i) {
      const LatLon at = DestinationPoint(own, 0.5 + (i % 200) * 0.1, (i * 37) % 360);
      AisBits bits;
      bits.AppendBits(1, 6);
      bits.AppendBits(0, 2);
      bits.AppendBits(static_cast<uint32_t>(200000000 + i), 30);
      bits.AppendBits(0, 4);
      bits.AppendBits(0x80, 8);
      bits.AppendBits(static_cast<uint32_t>(20 + i % 150), 10);
      bits.AppendBits(1, 1);
      bits.AppendBits(static_cast<uint32_t>(static_cast<int32_t>(at.lon * 600000)) & 0xFFFFFFF, 28);
      bits.AppendBits(static_cast<uint32_t>(static_cast<int32_t>(at.lat * 600000)) & 0x7FFFFFF, 27);
      bits.AppendBits(static_cast<uint32_t>((i * 71) % 3600), 12);
      bits.AppendBits(511, 9);
      bits.AppendBits(0, 31);
      receiver.DispatchAIS(nullptr, {clock.TickMs(), 0}, bits, false);
    }
  };
  report();
  AisAssessmentSettings settings;
  OwnShipKinematics kinematics{own, 90.0, 8.0, 90.0, 0};
  int64_t passes = 0;
  for (auto _ : state) {
    if (++passes % 60 == 0) {
      state.PauseTiming();
      report();
      state.ResumeTiming();
    }
    clock.Advance(1000);
    kinematics.tickMs = clock.TickMs();
    if (!receiver.Update(kinematics, settings)) state.SkipWithError("update did not run");
  }
  state.SetItemsProcessed(state.iterations() * count);
  state.counters["targets"] = static_cast<double>(receiver.TargetCount());
}
BENCHMARK(BM_AisUpdate)->Arg(3000)->Arg(5000)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace tarnwick
