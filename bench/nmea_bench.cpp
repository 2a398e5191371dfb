// Sentences per second of the NMEA decoder over a mixed real log
// (bench/data/nmea-mixed.log): framing and split alone, and the whole decode
// into a navigation source.

#include <benchmark/benchmark.h>

#include <fstream>
#include <string>
#include <vector>

#include "instruments/nmea/DecodeNmea.h"
#include "instruments/nmea/NavSource.h"
#include "instruments/nmea/NmeaParse.h"

namespace tarnwick {
namespace {

const std::vector<std::string>& MixedLog() {
  static const std::vector<std::string> lines = [] {
    std::vector<std::string> out;
    std::ifstream in(std::string(TW_SOURCE_DIR) + "/bench/data/nmea-mixed.log");
    std::string line;
    while (std::getline(in, line)) out.push_back(line + "\r\n");
    return out;
  }();
  return lines;
}

void BM_ParseNmea(benchmark::State& state) {
  const std::vector<std::string>& lines = MixedLog();
  if (lines.empty()) {
    state.SkipWithError("bench/data/nmea-mixed.log not found");
    return;
  }
  NmeaFields fields;
  for (auto _ : state) {
    for (const std::string& line : lines) benchmark::DoNotOptimize(ParseNMEA(line, fields));
  }
  state.SetItemsProcessed(static_cast<int64_t>(state.iterations() * lines.size()));
}
BENCHMARK(BM_ParseNmea)->Unit(benchmark::kMillisecond);

void BM_DecodeNmea(benchmark::State& state) {
  const std::vector<std::string>& lines = MixedLog();
  if (lines.empty()) {
    state.SkipWithError("bench/data/nmea-mixed.log not found");
    return;
  }
  CNavSource source;
  const NmeaDecoderHooks hooks;
  uint64_t tick = 1;
  for (auto _ : state) {
    for (const std::string& line : lines) {
      DecodeNMEA(source, ReceiveTime{tick, 0}, line, nullptr, hooks);
      tick += 10;
    }
  }
  state.SetItemsProcessed(static_cast<int64_t>(state.iterations() * lines.size()));
  state.counters["sentences"] = static_cast<double>(lines.size());
}
BENCHMARK(BM_DecodeNmea)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace tarnwick
