#include "recording/RecordingModule.h"

#include <memory>
#include <mutex>

#include "core/Application.h"
#include "core/Clock.h"
#include "core/Log.h"
#include "core/Setting.h"
#include "core/settings/VdrSettings.h"
#include "instruments/navdata/NavData.h"
#include "instruments/nmea/DecodeNmea.h"
#include "instruments/ports/PortHooks.h"
#include "recording/logbook/LogBook.h"
#include "recording/vdr/PlaybackNavFeed.h"
#include "recording/vdr/VdrFiles.h"
#include "recording/vdr/VoyageDataPlayer.h"
#include "recording/vdr/VoyageRecorder.h"

namespace tarnwick {
namespace {

constexpr uint64_t kPurgeIntervalMs = 3'600'000;
constexpr uint64_t kTrackTimerMs = 1000;

std::unique_ptr<VoyageDataPlayer> g_player;
// Played-back sentences reach the navigation data store and the AIS receiver
// through a source of their own, as a port's do.
std::unique_ptr<CPlaybackNavFeed> g_playbackFeed;
std::mutex g_sampleMutex;
OwnShipSampleSource g_sampleSource;

void PurgeOldRecordings() {
  const auto result = PurgeRecordings(RecordingsFolder(), opt::VDR_KeepFor.Text(), UtcNowMs());
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

VoyageDataPlayer* ProgramPlayer() {
  return g_player.get();
}

void RegisterRecording(CApplication& app) {
  app.OnStartupStage("Loading instruments", [] {
    SetSentenceRecorder(
        [](const DeliveredSentence& delivered) { RecordReceivedSentence(delivered.sentence); });
    g_playbackFeed = std::make_unique<CPlaybackNavFeed>([] {
      return PlaybackFeedTargets{NavData(), GetNmeaDecoderHooks()};
    });
    g_player = std::make_unique<VoyageDataPlayer>(RecordingsFolder());
    g_player->SetSessionHandler([](bool active) {
      if (active)
        g_playbackFeed->Begin();
      else
        g_playbackFeed->End();
    });
    g_player->SetHandler(PlaybackTarget::Nmea0183, [](const PlaybackRecord& record) {
      g_playbackFeed->Decode(record.payload, record.utcMs);
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
    g_playbackFeed.reset();
    VoyageRecorder().Close();
    LogBook().Close();
  });
}

std::string CheckRecordingSettingChange(std::string_view setting, std::string_view value) {
  if (!EqualsIgnoreCase(setting, opt::VDR_DataLog.Name()) || value.empty()) return "";
  return CheckRecordingsFolderChoice(std::filesystem::path(std::string(value)));
}

}  // namespace tarnwick
