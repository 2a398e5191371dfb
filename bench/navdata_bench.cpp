// The navigation data store's per-tick work: publishing the own-ship snapshot
// and selecting among position receivers.

#include <benchmark/benchmark.h>

#include <memory>
#include <string>
#include <vector>

#include "core/Clock.h"
#include "instruments/navdata/NavData.h"
#include "instruments/nmea/DecodeNmea.h"
#include "instruments/nmea/NavSource.h"

namespace tarnwick {
namespace {

// A store fed by `receivers` GPS ports and one instrument port.
struct Fixture {
  explicit Fixture(int receivers) {
    NmeaDecoderHooks hooks;
    hooks.sensors = &store;
    for (int i = 0; i < receivers; ++i) {
      sources.push_back(std::make_unique<CNavSource>());
      const std::string hdop = std::to_string(0.8 + 0.1 * i);
      for (const std::string& s :
           {"$GPGGA,123519,4807.038,N,01131.000,E,1,08," + hdop + ",545.4,M,46.9,M,,",
            std::string("$GPRMC,123519,A,4807.038,N,01131.000,E,022.4,084.4,230394,003.1,W"),
            std::string("$GPVTG,054.7,T,034.4,M,005.5,N,010.2,K")})
        DecodeNMEA(*sources.back(), ReceiveTime{clock.TickMs(), 0}, s, nullptr, hooks);
    }
    sources.push_back(std::make_unique<CNavSource>());
    for (const char* s : {"$HCHDG,100.0,,,5.0,E", "$SDDPT,5.0,0.5", "$VWVHW,,T,,M,6.5,N,,K",
                          "$WIMWV,45,R,12,N,A", "$TIROT,3.0,A", "$INMTW,17.9,C"})
      DecodeNMEA(*sources.back(), ReceiveTime{clock.TickMs(), 0}, s, nullptr, hooks);
  }
  CSimulatedClock clock;
  CScopedClock scoped{clock};
  std::vector<std::unique_ptr<CNavSource>> sources;
  CNavData store;
};

void BM_UpdateNavInfo(benchmark::State& state) {
  Fixture f(static_cast<int>(state.range(0)));
  for (auto _ : state) {
    f.store.UpdateNavInfo();
    benchmark::DoNotOptimize(f.store.Snapshot());
  }
}
BENCHMARK(BM_UpdateNavInfo)->Arg(1)->Arg(4);

void BM_GetFixAutomatic(benchmark::State& state) {
  Fixture f(static_cast<int>(state.range(0)));
  for (auto _ : state) benchmark::DoNotOptimize(f.store.GetFix());
}
BENCHMARK(BM_GetFixAutomatic)->Arg(1)->Arg(4);

void BM_SnapshotRead(benchmark::State& state) {
  Fixture f(1);
  f.store.UpdateNavInfo();
  for (auto _ : state) benchmark::DoNotOptimize(f.store.Snapshot()->sog);
}
BENCHMARK(BM_SnapshotRead);

}  // namespace
}  // namespace tarnwick
