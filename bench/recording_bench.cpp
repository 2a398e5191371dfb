// Voyage data recorder throughput: records a second from four threads at once
// (several 38400-baud AIS ports give about 4,000 sentences a second), and the
// cost of playing back one recorded hour at 100 times speed.

#include <benchmark/benchmark.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "core/Clock.h"
#include "recording/UtcTime.h"
#include "recording/vdr/VoyageDataPlayer.h"
#include "recording/vdr/VoyageRecorder.h"

namespace tarnwick {
namespace {

const char* const kSentences[] = {
    "!AIVDM,1,1,,A,13aEOK?P00PD2wVMdLDRhgvL289?,0*26",
    "!AIVDM,1,1,,B,14eGrSPP00ncMJTO5C6aBwvP2D0?,0*7A",
    "$GPRMC,135958,A,5000.0000,N,00100.0000,W,5.0,90.0,300621,,*1E",
    "$IIMWV,047,R,08.16,N,A*12",
};

std::filesystem::path BenchFolder(const char* name) {
  auto folder = std::filesystem::temp_directory_path() / name;
  std::filesystem::remove_all(folder);
  std::filesystem::create_directories(folder);
  return folder;
}

CVoyageRecorder* g_recorder = nullptr;

void BM_RecordFromFourThreads(benchmark::State& state) {
  if (state.thread_index() == 0) g_recorder = new CVoyageRecorder(BenchFolder("tw_bench_record"));
  const std::string sentence = kSentences[state.thread_index() % 4];
  for (auto _ : state) benchmark::DoNotOptimize(g_recorder->Record(VdrKind::Nmea0183, sentence));
  state.SetItemsProcessed(state.iterations());
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(sentence.size()));
  if (state.thread_index() == 0) {
    delete g_recorder;
    g_recorder = nullptr;
  }
}
BENCHMARK(BM_RecordFromFourThreads)->Threads(4)->UseRealTime();

// One hour of 20 sentences a second (72,000 records), played at 100x under a
// simulated clock that moves 100 ms per player turn: the figure is the
// processing time for the hour, against 36 s of real time at 100x.
void BM_PlayHourAt100x(benchmark::State& state) {
  const auto folder = BenchFolder("tw_bench_play");
  const int64_t start = MakeUtcMs(UtcParts{2021, 6, 30, 13, 0, 0, 0});
  {
    CSimulatedClock clock(0, start);
    CScopedClock scoped(clock);
    CVoyageRecorder recorder(folder);
    for (int i = 0; i < 72'000; ++i) {
      recorder.Record(VdrKind::Nmea0183, kSentences[i % 4]);
      clock.Advance(50);
    }
  }
  uint64_t played = 0;
  for (auto _ : state) {
    CSimulatedClock clock(0, start);
    CScopedClock scoped(clock);
    VoyageDataPlayer player(folder);
    size_t bytes = 0;
    player.SetHandler(PlaybackTarget::Nmea0183,
                      [&bytes](const PlaybackRecord& record) { bytes += record.payload.size(); });
    player.Seek(start);
    player.SetSpeed(100);
    player.Play();
    player.RunOnce();
    while (!player.Status().atEnd) {
      clock.Advance(100);
      player.RunOnce();
    }
    played = player.Status().recordsPlayed;
    benchmark::DoNotOptimize(bytes);
  }
  state.counters["records"] = static_cast<double>(played);
  state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(played));
}
BENCHMARK(BM_PlayHourAt100x)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace tarnwick
