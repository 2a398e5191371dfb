#include "app/Demo.h"

#include <algorithm>
#include <atomic>
#include <mutex>
#include <nlohmann/json.hpp>
#include <system_error>

#include "core/Application.h"
#include "core/Log.h"
#include "core/Notifications.h"
#include "core/Paths.h"
#include "core/settings/AisSettings.h"
#include "core/settings/VdrSettings.h"
#include "instruments/ais/sim/AisTargetSimulator.h"
#include "recording/RecordingModule.h"
#include "recording/vdr/VdrFiles.h"
#include "recording/vdr/VoyageDataPlayer.h"
#include "recording/vdr/VoyageRecordingsPage.h"

namespace tarnwick {
namespace {

namespace fs = std::filesystem;

constexpr const char* kRouteDocument = "Plaka demo route.nob";
constexpr const char* kRecordingFolder = "recording";
constexpr const char* kPlaybackFolder = "Demo recording";
constexpr uint64_t kLoopCheckMs = 1000;

std::atomic<bool> g_demoRunning{false};
std::mutex g_mutex;
std::optional<int64_t> g_firstRecordUtcMs;

void Fail(const std::string& text) {
  Log("Demo: %s\n", text.c_str());
  Notifications().Post(NotificationKind::Error, text);
}

// Replaces the playback folder's recordings with fresh copies of the bundled
// ones; returns the number of files copied, or nothing after an error.
std::optional<int> CopyRecording(const fs::path& from, const fs::path& to) {
  std::error_code ec;
  fs::create_directories(to, ec);
  if (ec) {
    Fail("The demo cannot create " + to.string() + ": " + ec.message());
    return std::nullopt;
  }
  for (const RecordingFile& old : ListRecordingFiles(to)) fs::remove(old.path, ec);
  int copied = 0;
  for (const RecordingFile& file : ListRecordingFiles(from)) {
    // A new copy gets the current time, so purging keeps it for the whole run.
    if (!fs::copy_file(file.path, to / file.path.filename(), fs::copy_options::overwrite_existing,
                       ec)) {
      Fail("The demo cannot copy " + file.path.string() + ": " + ec.message());
      return std::nullopt;
    }
    ++copied;
  }
  return copied;
}

bool PrepareDemo() {
  const fs::path share = DemoShareFolder();
  const fs::path playback = DataFolder() / kPlaybackFolder;
  const auto copied = CopyRecording(share / kRecordingFolder, playback);
  if (!copied) return false;
  if (*copied == 0) {
    Fail("The demo recording is missing from " + (share / kRecordingFolder).string() +
         "; build the tw_share target first.");
    return false;
  }
  const auto days = ListRecordingDays(playback);
  if (days.empty()) {
    Fail("The demo recording in " + playback.string() + " cannot be read.");
    return false;
  }
  {
    std::lock_guard lock(g_mutex);
    g_firstRecordUtcMs = days.front().firstUtcMs;
  }
  opt::VDR_DataLog.Set(playback.string());
  opt::VDR_RecordVoyageData.SetBool(false);
  opt::AIS_ShowVessels.SetBool(true);
  opt::AIS_ShowClassBTargets.SetBool(true);

  const fs::path documents = DataFolder() / "NavObjects";
  std::error_code ec;
  fs::create_directories(documents, ec);
  if (!fs::exists(documents / kRouteDocument, ec) &&
      !fs::copy_file(share / kRouteDocument, documents / kRouteDocument, ec)) {
    Log("Demo: cannot copy the route document: %s\n", ec.message().c_str());
  }
  Log("Demo: playing %d recording files from %s\n", *copied, playback.c_str());
  return true;
}

// What the demo recording's AIS traffic is made of: it was generated from fleet.
std::string SimulatedTrafficText(const std::vector<SimulatedVessel>& fleet) {
  const auto classA = std::count_if(fleet.begin(), fleet.end(),
                                    [](const SimulatedVessel& v) { return v.classA; });
  return "AIS traffic: " + std::to_string(fleet.size()) + " targets (" + std::to_string(classA) +
         " class A, " + std::to_string(fleet.size() - classA) +
         " class B) from our AIS target simulator";
}

std::optional<int64_t> FirstRecord() {
  std::lock_guard lock(g_mutex);
  return g_firstRecordUtcMs;
}

void PlayFromStart() {
  VoyageDataPlayer* player = ProgramPlayer();
  const auto first = FirstRecord();
  if (!player || !first) return;
  player->Seek(*first);
  player->Play();
}

}  // namespace

fs::path DemoShareFolder() {
  return ProgramFolder() / "demo";
}

fs::path SelectDemoDataFolder() {
  // The default data folder is the one in effect without SetDataFolder; a
  // different one in effect now was chosen on the command line.
  const fs::path chosen = DataFolder();
  SetDataFolder({});
  const fs::path standard = DataFolder();
  SetDataFolder(chosen == standard
                    ? standard.parent_path() / (standard.filename().string() + "-demo")
                    : chosen);
  return DataFolder();
}

void RegisterDemo(CApplication& app) {
  g_demoRunning.store(true);
  app.OnStartupStage("Settings", [] { return PrepareDemo(); });
  app.OnStartupStage("Selecting initial screen", [] {
    PlayFromStart();
    return true;
  });
  // The loop: at the end of the recording, back to its beginning.
  app.AddTimer(kLoopCheckMs, [] {
    VoyageDataPlayer* player = ProgramPlayer();
    if (!player) return;
    const PlayerStatus status = player->Status();
    if (!status.playing && status.atEnd) {
      Log("Demo: end of the recording, playing it again\n");
      PlayFromStart();
    }
  });
}

std::optional<std::string> DemoDescription() {
  if (!g_demoRunning.load()) return std::nullopt;
  const nlohmann::json description = {
      {"recorded",
       {"own ship: position, course and speed over ground, wind, depth, speed through water "
        "(a real four-hour sail in the Finnish archipelago, 60\u00b0N 23\u00b0E, from the Signal K "
        "project's sample log \"plaka.log\")"}},
      {"simulated", {SimulatedTrafficText(DemoFleet())}},
      {"loop", true},
  };
  return description.dump();
}

}  // namespace tarnwick
