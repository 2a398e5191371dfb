#include "app/Demo.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <fstream>
#include <mutex>
#include <nlohmann/json.hpp>
#include <system_error>
#include <thread>

#include "core/Application.h"
#include "core/Log.h"
#include "core/Notifications.h"
#include "core/Paths.h"
#include "core/settings/AisSettings.h"
#include "core/settings/ChartsSettings.h"
#include "core/settings/S52Settings.h"
#include "core/settings/VdrSettings.h"
#include "instruments/ais/sim/AisTargetSimulator.h"
#include "recording/RecordingModule.h"
#include "recording/vdr/VdrFiles.h"
#include "recording/vdr/VoyageDataPlayer.h"
#include "recording/vdr/VoyageRecordingsPage.h"
#include "server/HttpServer.h"

namespace tarnwick {
namespace {

namespace fs = std::filesystem;

// Where each voyage's files are in the demo folder.
struct VoyageFiles {
  DemoVoyage voyage;
  const char* name;           // as on the command line and in the page's requests
  const char* title;          // as the page shows it
  const char* folder;         // under DemoShareFolder(): "recording/" and the route document
  const char* routeDocument;  // the route's document file name
};

constexpr VoyageFiles kVoyages[] = {
    {DemoVoyage::Harbour, "harbour", "Kaneohe Bay entrance channel, Oahu", "kaneohe",
     "Kaneohe Bay demo route.nob"},
    {DemoVoyage::Sail, "sail", "Archipelago sail, Finland", ".", "Plaka demo route.nob"},
};
constexpr const char* kRecordingFolder = "recording";
constexpr const char* kChartsFolder = "charts";
constexpr const char* kHarbourFleet = "kaneohe/fleet.json";
constexpr const char* kPlaybackFolder = "Demo recording";
constexpr uint64_t kLoopCheckMs = 1000;
constexpr int kStopWaitMs = 3000;

std::atomic<bool> g_demoRunning{false};
std::mutex g_mutex;
std::optional<int64_t> g_firstRecordUtcMs;
DemoVoyage g_voyage = DemoVoyage::Harbour;  // under g_mutex

const VoyageFiles& FilesOf(DemoVoyage voyage) {
  for (const VoyageFiles& files : kVoyages)
    if (files.voyage == voyage) return files;
  return kVoyages[0];
}

DemoVoyage CurrentVoyage() {
  std::lock_guard lock(g_mutex);
  return g_voyage;
}

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

// Puts the voyage's recording into the playback folder and its route among
// the documents; remembers where the recording starts.
bool LoadVoyage(DemoVoyage voyage) {
  const VoyageFiles& files = FilesOf(voyage);
  const fs::path share = DemoShareFolder() / files.folder;
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
    g_voyage = voyage;
  }
  const fs::path documents = DataFolder() / "NavObjects";
  std::error_code ec;
  fs::create_directories(documents, ec);
  if (!fs::exists(documents / files.routeDocument, ec) &&
      !fs::copy_file(share / files.routeDocument, documents / files.routeDocument, ec)) {
    Log("Demo: cannot copy the route document: %s\n", ec.message().c_str());
  }
  Log("Demo: playing the %s voyage, %d recording files from %s\n", files.name, *copied,
      playback.c_str());
  return true;
}

bool PrepareDemo(DemoVoyage voyage) {
  if (!LoadVoyage(voyage)) return false;
  opt::VDR_DataLog.Set((DataFolder() / kPlaybackFolder).string());
  opt::VDR_RecordVoyageData.SetBool(false);
  opt::AIS_ShowVessels.SetBool(true);
  opt::AIS_ShowClassBTargets.SetBool(true);
  // The bundled chart; the demo's own ship draws 1.8 m: the channel's 3.6 m
  // bar is safe water, the reef's 1.8 m and less is not.
  opt::Charts_InstallationFolder.Set((DemoShareFolder() / kChartsFolder).string());
  opt::S52_SafetyContourDepth.Set("3 m");
  return true;
}

std::string TrafficText(size_t vessels, size_t classA) {
  return "AIS traffic: " + std::to_string(vessels) + " targets (" + std::to_string(classA) +
         " class A, " + std::to_string(vessels - classA) + " class B) from our AIS target simulator";
}

// What the demo recording's AIS traffic is made of: it was generated from fleet.
std::string SimulatedTrafficText(const std::vector<SimulatedVessel>& fleet) {
  const auto classA = std::count_if(fleet.begin(), fleet.end(),
                                    [](const SimulatedVessel& v) { return v.classA; });
  return TrafficText(fleet.size(), static_cast<size_t>(classA));
}

// The same of the harbour voyage, from the fleet file it was generated from.
std::string HarbourTrafficText() {
  std::ifstream in(DemoShareFolder() / kHarbourFleet, std::ios::binary);
  const nlohmann::json fleet = nlohmann::json::parse(in, nullptr, false);
  if (!fleet.is_array()) return "AIS traffic from our AIS target simulator";
  const auto classA = std::count_if(fleet.begin(), fleet.end(), [](const nlohmann::json& v) {
    return v.is_object() && v.value("classA", true);
  });
  return TrafficText(fleet.size(), static_cast<size_t>(classA));
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

std::optional<DemoVoyage> DemoVoyageNamed(std::string_view name) {
  for (const VoyageFiles& files : kVoyages)
    if (name == files.name) return files.voyage;
  return std::nullopt;
}

void RegisterDemo(CApplication& app, DemoVoyage voyage) {
  {
    std::lock_guard lock(g_mutex);
    g_voyage = voyage;
  }
  g_demoRunning.store(true);
  app.OnStartupStage("Settings", [voyage] { return PrepareDemo(voyage); });
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

void RegisterDemoRoutes(CHttpServer& http) {
  http.Post("/api/demo", [](const HttpRequest& request) {
    const nlohmann::json body = nlohmann::json::parse(request.body, nullptr, false);
    const auto voyage = body.is_object() && body.contains("voyage") && body["voyage"].is_string()
                            ? DemoVoyageNamed(body["voyage"].get<std::string>())
                            : std::nullopt;
    if (!voyage) {
      return HttpResponse::Json(400, R"({"error":"voyage must be \"harbour\" or \"sail\""})");
    }
    if (!g_demoRunning.load()) {
      return HttpResponse::Json(409, R"({"error":"the program is not running the demo"})");
    }
    if (*voyage != CurrentVoyage()) {
      // The player lets go of the files it plays before they are replaced.
      if (VoyageDataPlayer* player = ProgramPlayer()) {
        player->Stop();
        for (int waited = 0; waited < kStopWaitMs && player->Status().playing; waited += 20)
          std::this_thread::sleep_for(std::chrono::milliseconds(20));
      }
      if (!LoadVoyage(*voyage)) {
        return HttpResponse::Json(500, R"({"error":"the demo voyage cannot be loaded; see the log"})");
      }
      Notifications().Post(NotificationKind::MessageBar,
                           std::string("Demo: ") + FilesOf(*voyage).title);
      PlayFromStart();
    }
    return HttpResponse::Json(200, DemoDescription().value_or("{}"));
  });
}

std::optional<std::string> DemoDescription() {
  if (!g_demoRunning.load()) return std::nullopt;
  const DemoVoyage voyage = CurrentVoyage();
  nlohmann::json description;
  if (voyage == DemoVoyage::Sail) {
    description = {
        {"recorded",
         {"own ship: position, course and speed over ground, wind, depth, speed through water "
          "(a real four-hour sail in the Finnish archipelago, 60\u00b0N 23\u00b0E, from the "
          "Signal K project's sample log \"plaka.log\")"}},
        {"simulated", {SimulatedTrafficText(DemoFleet())}},
    };
  } else {
    description = {
        {"recorded", nlohmann::json::array()},
        {"simulated",
         {"own ship: position, course, speed and heading from our navigation simulator, "
          "following the route in through the entrance channel of Kaneohe Bay, Oahu at 6 knots",
          HarbourTrafficText()}},
        {"chart", "NOAA ENC US5HA57M (Kaneohe Bay), not for navigation"},
    };
  }
  description["loop"] = true;
  description["voyage"] = FilesOf(voyage).name;
  description["voyages"] = nlohmann::json::array();
  for (const VoyageFiles& files : kVoyages)
    description["voyages"].push_back({{"name", files.name}, {"title", files.title}});
  return description.dump();
}

}  // namespace tarnwick
