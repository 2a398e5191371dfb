#include "recording/RecordingModule.h"

#include <memory>
#include <mutex>

#include "core/Application.h"
#include "core/Clock.h"
#include "core/Log.h"
#include "core/settings/VdrSettings.h"
#include "instruments/nmea/DecodeNmea.h"
#include "instruments/nmea/NavSource.h"
#include "instruments/ports/PortHooks.h"
#include "recording/logbook/LogBook.h"
#include "recording/vdr/VdrFiles.h"
#include "recording/vdr/VoyageDataPlayer.h"
#include "recording/vdr/VoyageRecorder.h"

namespace tarnwick {
namespace {

constexpr uint64_t kPurgeIntervalMs = 3'600'000;
constexpr uint64_t kTrackTimerMs = 1000;

std::unique_ptr<VoyageDataPlayer> g_player;
// What played-back sentences are decoded into: the playback's own source, as
// a port has its own.
std::unique_ptr<CNavSource> g_playbackSource;
std::mutex g_sampleMutex;
OwnShipSampleSource g_sampleSource;

void PurgeOldRecordings() {
  const auto result =
      PurgeRecordings(RecordingsFolder(), opt::VDR_KeepFor.Text(), UtcNowMs());
  if (result.deleted > 0)
    Log("VDR: deleted %d recording files older than %lld s\n", result.deleted,
        static_cast<long long>(result.keptForSeconds));
}

std::optional<OwnShipSample> CurrentSample() {
  std::lock_guard lock(g_sampleMutex);
  return g_sampleSource ? g_sampleSource() : std::nullopt;
}

}  // namespace

void SetOwnShipSampleSource(OwnShipSampleSource source) {
  std::lock_guard lock(g_sampleMutex);
  g_sampleSource = std::move(source);
}

VoyageDataPlayer* ProgramPlayer() { return g_player.get(); }

void RegisterRecording(CApplication& app) {
  app.OnStartupStage("Loading instruments", [] {
    SetSentenceRecorder(
        [](const DeliveredSentence& delivered) { RecordReceivedSentence(delivered.sentence); });
    g_playbackSource = std::make_unique<CNavSource>();
    g_player = std::make_unique<VoyageDataPlayer>(RecordingsFolder());
    g_player->SetHandler(PlaybackTarget::Nmea0183, [](const PlaybackRecord& record) {
      const std::string_view sentence(reinterpret_cast<const char*>(record.payload.data()),
                                      record.payload.size());
      DecodeNMEA(*g_playbackSource, ReceiveTime{TickCount(), record.utcMs}, sentence, nullptr);
    });
    g_player->Start();
    return true;
  });
  app.OnStartupStage("app_init", [&app] {
    CLogBook& book = LogBook();
    if (app.PreviousRunUnclean()) {
      std::optional<std::string> report;
      if (app.PreviousCrashReport()) report = app.PreviousCrashReport()->string();
      LogApplicationCrash(book, report);
    }
    LogApplicationStarted(book);
    PurgeOldRecordings();
    return true;
  });
  app.AddTimer(kPurgeIntervalMs, PurgeOldRecordings);
  app.AddTimer(kTrackTimerMs, [] {
    static CTrackRecorder track(LogBook());
    track.OnTimer(CurrentSample());
  });
  app.OnShutdownStage("Exit_NavObjects", [] { LogApplicationExit(LogBook()); });
  app.OnShutdownStage("Exit_Ports", [] {
    SetSentenceRecorder(nullptr);
    if (g_player) g_player->Shutdown();
    g_player.reset();
    g_playbackSource.reset();
    VoyageRecorder().Close();
    LogBook().Close();
  });
}

}  // namespace tarnwick
