#include "app/ChartsModule.h"

#include <memory>
#include <mutex>

#include "charts/library/ChartJson.h"
#include "charts/library/ChartLibrary.h"
#include "charts/lookahead/ObstacleAlarm.h"
#include "charts/s52/S52MarinerSettings.h"
#include "core/Application.h"
#include "core/Clock.h"
#include "core/Log.h"
#include "core/Notifications.h"
#include "core/Setting.h"
#include "core/settings/AlertsSettings.h"
#include "core/settings/ChartsSettings.h"
#include "core/settings/OwnShipSettings.h"
#include "core/settings/S52Settings.h"
#include "core/units/Duration.h"
#include "core/units/Length.h"
#include "instruments/navdata/DepthAlert.h"
#include "instruments/navdata/NavData.h"
#include "instruments/navdata/NavDataModule.h"

namespace tarnwick {
namespace {

// Follows the installation folder setting.
class CInstallationFolderWatch final : public CSettingListener {
 public:
  void SettingChanged(CSetting& setting) override {
    if (&setting != &opt::Charts_InstallationFolder) return;
    if (auto library = ChartLibrary()) library->SetInstallationFolder(setting.Text());
  }
};

std::unique_ptr<CInstallationFolderWatch> g_folderWatch;

// The sweep's margin on either side of the ship, and the beam assumed when
// OwnShip_Beam is not set, metres.
constexpr double kSweepMarginMetres = 20;
constexpr double kDefaultBeamMetres = 10;
constexpr uint64_t kObstacleEventIntervalMs = 1000;

struct ObstacleState {
  CObstacleAlarm alarm{[](const std::string& text, bool raised, bool voice) {
                         if (raised) Notifications().Post(NotificationKind::MessageBar, text);
                         if (voice)
                           Notifications().Speak(text);
                         else if (!raised)
                           Notifications().Post(NotificationKind::Warning, text);
                       },
                       SpokenDepth};
  std::function<void(const std::string&)> eventSink;
  std::string posted;
  uint64_t postedAt = 0;
  mutable std::mutex mutex;
  std::string json = "{\"enabled\":false,\"active\":false}";
};

ObstacleState& Obstacles() {
  static ObstacleState state;
  return state;
}

double SweepWidthMetres() {
  const Length width = ParseLength(opt::Alerts_ObstacleSweepWidth.Text());
  if (width.IsValid() && width.Metres() > 0) return width.Metres();
  const Length beam = ParseLength(opt::OwnShip_Beam.Text());
  const double beamMetres =
      beam.IsValid() && beam.Metres() > 0 ? beam.Metres() : kDefaultBeamMetres;
  return beamMetres + 2 * kSweepMarginMetres;
}

// The look-ahead's input from the own-ship snapshot and the settings; none
// without a position, course and speed.
std::optional<LookAheadInput> LookAheadInputNow() {
  const CNavData* store = NavData();
  if (!store) return std::nullopt;
  const auto snapshot = store->Snapshot();
  if (!snapshot || !snapshot->fix.position || !snapshot->cog || !snapshot->sog) return std::nullopt;
  LookAheadInput input;
  input.position = *snapshot->fix.position;
  input.cogDeg = snapshot->cog->value;
  input.sogKnots = snapshot->sog->value;
  input.lookAheadSeconds = ParseDurationSeconds(opt::Alerts_LookAhead.Text()).value_or(60);
  input.widthMetres = SweepWidthMetres();
  input.safetyDepthMetres = ParseS52Depth(opt::S52_SafetyContourDepth.Text()).value_or(10);
  return input;
}

void UpdateObstacles() {
  ObstacleState& state = Obstacles();
  const std::shared_ptr<CChartLibrary> library = ChartLibrary();
  ObstacleAlarmSettings settings;
  settings.enabled = opt::Alerts_Obstacles.GetBool() && library;
  const DepthAlertLimits limits = DepthAlertLimitsFromSettings();
  settings.repeatMs = limits.repeatMs;
  settings.voice = limits.voice;
  LookAheadResult result;
  if (settings.enabled) {
    if (const auto input = LookAheadInputNow()) result = LookAhead(*library, *input);
  }
  const uint64_t now = TickCount();
  const bool changed = state.alarm.Update(result, settings, now);
  const std::string json = state.alarm.Json();
  {
    std::lock_guard lock(state.mutex);
    state.json = json;
  }
  if (!state.eventSink || json == state.posted) return;
  if (!changed && now - state.postedAt < kObstacleEventIntervalMs) return;
  state.posted = json;
  state.postedAt = now;
  state.eventSink(json);
}

CommandResult Fail(std::string err) {
  return {1, "", "tarnwick charts: " + err + "\n"};
}

CommandResult Add(CChartLibrary& library, const std::string& path) {
  const AddSourceResult added = library.AddSource(path);
  if (!added.ok) return Fail(added.error);
  for (const ChartSource& source : library.Sources()) {
    if (source.path != added.path) continue;
    std::string out;
    CJsonWriter json(out);
    WriteSourceJson(json, source);
    return {0, out + "\n", ""};
  }
  return Fail("cannot register " + added.path.string());
}

CommandResult Remove(CChartLibrary& library, const std::string& what) {
  std::string out;
  for (const ChartSource& source : library.Sources()) {
    if (source.path != std::filesystem::path(what).lexically_normal() || !source.folder) continue;
    if (source.installation)
      return Fail(what + " is the installation folder (the setting Charts_InstallationFolder)");
    library.RemoveSource(source.path);
    return {0, source.path.string() + "\n", ""};
  }
  const std::vector<std::string> removed = library.RemoveChart(what);
  if (removed.empty()) return Fail("no chart or chart folder named '" + what + "'");
  for (const std::string& name : removed) out += name + "\n";
  return {0, out, ""};
}

}  // namespace

std::string ObstacleStateJson() {
  const ObstacleState& state = Obstacles();
  std::lock_guard lock(state.mutex);
  return state.json;
}

void SetObstacleEventSink(std::function<void(const std::string& json)> sink) {
  Obstacles().eventSink = std::move(sink);
}

CommandResult RunChartsCommand(const std::string& command, const std::vector<std::string>& args) {
  const std::shared_ptr<CChartLibrary> library = ChartLibrary();
  if (!library) return Fail("the chart library is not available (see the diagnostic log)");
  if (command == "charts.add" && args.size() == 1) return Add(*library, args[0]);
  if (command == "charts.remove" && args.size() == 1) return Remove(*library, args[0]);
  if (command == "charts.list" && args.empty()) {
    std::string out;
    for (const ChartRecord& chart : library->Charts()) out += ChartJsonLine(chart) + "\n";
    return {0, out, ""};
  }
  if (command == "charts.sources" && args.empty()) {
    std::string out;
    for (const ChartSource& source : library->Sources()) {
      CJsonWriter json(out);
      WriteSourceJson(json, source);
      out += "\n";
    }
    return {0, out, ""};
  }
  return {2, "", "tarnwick: wrong arguments for " + command + "\n"};
}

void RegisterCharts(CApplication& app) {
  app.OnStartupStage("Init_ENC", [] {
    std::string error;
    auto library = CChartLibrary::Open(DefaultChartLibraryOptions(), error);
    if (!library) {
      // The program runs on without charts; the navigator is told why.
      Log("Init_ENC: %s\n", error.c_str());
      Notifications().Post(NotificationKind::Error,
                           "$AppTitle cannot open its chart library: " + error);
      return true;
    }
    library->SetInstallationFolder(opt::Charts_InstallationFolder.Text());
    InstallChartLibrary(library);
    g_folderWatch = std::make_unique<CInstallationFolderWatch>();
    return true;
  });
  // The folders are looked at once the program is up; builds never hold up start-up.
  app.OnStartupStage("Init Charts", [] {
    if (auto library = ChartLibrary()) library->Start();
    // Without a sounder the depth alert reads the chart under the ship.
    SetChartedDepthProvider([](const LatLon& position) -> std::optional<double> {
      const auto library = ChartLibrary();
      return library ? ChartedDepthAt(*library, position) : std::nullopt;
    });
    return true;
  });
  app.OnTick(TickStage::UpdateObstacles, UpdateObstacles);
  app.OnShutdownStage("Exit_Charts", [] {
    SetChartedDepthProvider(nullptr);
    g_folderWatch.reset();
    if (auto library = ChartLibrary()) library->Stop();
    InstallChartLibrary(nullptr);
  });
}

}  // namespace tarnwick
