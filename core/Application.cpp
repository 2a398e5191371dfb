#include "core/Application.h"

#include <algorithm>
#include <ctime>
#include <fstream>
#include <sstream>

#include "core/Clock.h"
#include "core/CrashHandler.h"
#include "core/InstanceGuard.h"
#include "core/JobQueue.h"
#include "core/Log.h"
#include "core/Notifications.h"
#include "core/Paths.h"
#include "core/ProgramSettings.h"
#include "core/RegistryFile.h"
#include "core/SettingsRegistry.h"
#include "core/ShutdownEvent.h"
#include "core/Stage.h"
#include "core/Storage.h"
#include "core/SystemInfo.h"
#include "core/Watchdog.h"
#include "core/settings/StartupSettings.h"

namespace tarnwick {
namespace {

constexpr uint64_t kPubsProgressIntervalMs = 300000;

std::string UtcText(int64_t utcMs) {
  const time_t seconds = static_cast<time_t>(utcMs / 1000);
  tm parts{};
  gmtime_r(&seconds, &parts);
  char text[40];
  strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S UTC", &parts);
  return text;
}

// What the navigator is told about a previous run that did not end normally:
// what its crash report holds and where it is, or that there is none.
std::string UncleanExitMessage(const UncleanExit& unclean) {
  std::string text;
  if (unclean.crashReport) {
    const CrashReport report = ReadCrashReport(*unclean.crashReport);
    text = "The last session of $AppTitle crashed";
    if (report.utcMs) text += " at " + UtcText(*report.utcMs);
    if (report.signal) {
      text += ": signal " + std::to_string(*report.signal);
      if (!report.signalName.empty()) text += " (" + report.signalName + ")";
    }
    if (!report.stage.empty()) text += " in the stage \"" + report.stage + "\"";
    text += ". Please send an error report with the crash report.\n";
    text += "Possible system error during session in mini-dump file \"" +
            unclean.crashReport->string() + "\".\n";
  } else {
    text = "The last session of $AppTitle";
    if (unclean.previousStartUtcMs) text += " (started " + UtcText(*unclean.previousStartUtcMs) + ")";
    text += " did not end normally and left no crash report: it was killed or the computer "
            "stopped. Please send an error report.\n";
  }
  return text;
}

bool HasSwitch(const std::vector<std::string>& commandLine, const char* name) {
  return std::any_of(commandLine.begin(), commandLine.end(), [name](const std::string& arg) {
    std::string_view text(arg);
    while (!text.empty() && (text.front() == '-' || text.front() == '/')) text.remove_prefix(1);
    return EqualsIgnoreCase(text, name);
  });
}

}  // namespace

CApplication::CApplication() = default;

CApplication::~CApplication() {
  if (instance_) instance_->Release();
}

const std::vector<std::string>& CApplication::PhaseStages(int phase) {
  static const std::vector<std::string> kPhase1 = {"Init_Users", "Init Main Frame", "Settings"};
  static const std::vector<std::string> kPhase2 = {
      "Init Maptech SDK", "Init_ENC",      "Init Gazetteer",      "Init Guide Books",
      "Init_Features",    "Init Tides",    "Init Weather",        "Init_Packages",
      "Init Navtex",      "NetStart",      "Init Extensions",     "Loading instruments",
      "Init Ports",       "Init Atom",     "Init NavObj"};
  static const std::vector<std::string> kPhase3 = {
      "Processing command line", "Process startup docs", "Selecting home browser",
      "Selecting initial screen", "Init Radar Screen",   "Init_XFrame"};
  static const std::vector<std::string> kNone;
  switch (phase) {
    case 1: return kPhase1;
    case 2: return kPhase2;
    case 3: return kPhase3;
    default: return kNone;
  }
}

const std::vector<std::string>& CApplication::ShutdownStages() {
  static const std::vector<std::string> kStages = {
      "Exit_NavObjects", "Exit_Charts", "Exit_Watchdog",          "Exit_ThumbnailFactory",
      "Exit_Voice",      "Exit_Undo",   "Exit_ModularTcpServer", "Exit_Ports"};
  return kStages;
}

void CApplication::OnStartupStage(const std::string& stage, StartupHook hook) {
  startupHooks_[stage].push_back(std::move(hook));
}

void CApplication::OnTick(TickStage stage, Hook hook) {
  tickHooks_[static_cast<size_t>(stage)].push_back(std::move(hook));
}

void CApplication::OnShutdownStage(const std::string& stage, Hook hook) {
  shutdownHooks_[stage].push_back(std::move(hook));
}

void CApplication::AddTimer(uint64_t intervalMs, Hook hook) {
  timers_.push_back({intervalMs, TickCount() + intervalMs, std::move(hook)});
}

bool CApplication::RunStartupStage(const std::string& stage) {
  CStageScope scope(stage.c_str());
  auto it = startupHooks_.find(stage);
  if (it == startupHooks_.end()) return true;
  for (auto& hook : it->second)
    if (!hook()) return false;
  return true;
}

bool CApplication::VerifyCriticalFiles() {
  const auto folder = ProgramFolder();
  std::ifstream manifest(folder / "critical-files.txt");
  bool ok = static_cast<bool>(manifest);
  std::string line;
  while (ok && std::getline(manifest, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.empty() || line.front() == '#') continue;
    std::error_code ec;
    if (!std::filesystem::exists(folder / line, ec)) {
      Log("Critical file not found: %s\n", (folder / line).c_str());
      ok = false;
    }
  }
  if (!ok) {
    Log("Missing critical file\n");
    Notifications().Post(NotificationKind::Error,
                         "$AppTitle cannot find some of the files it needs to run. You may need "
                         "to re-install!\n\n");
  }
  return ok;
}

void CApplication::OpenSettingsStore(const std::filesystem::path& path) {
  const StorageOpening opening = Storage().OpenOrSetAside(path, UtcNowMs());
  if (opening.setAside) {
    Notifications().Post(NotificationKind::Error,
                         "The settings store " + path.string() + " could not be used (" +
                             opening.problem + "). It was kept as \"" +
                             opening.setAside->string() +
                             "\" and $AppTitle started a fresh store: settings are back at their "
                             "defaults.");
  }
  if (!opening.opened) {
    Notifications().Post(NotificationKind::Error,
                         "$AppTitle cannot open its settings store " + path.string() + " (" +
                             opening.problem + "). Settings changed now will not be kept.");
  }
}

bool CApplication::AskDisclaimer(const StartupOptions& options) {
  std::ifstream in(ProgramFolder() / "Disclaimer.txt");
  std::stringstream text;
  text << in.rdbuf();
  CStageScope scope("Disclaimer");
  return options.disclaimer && options.disclaimer(text.str());
}

bool CApplication::RunPhase(int phase, const StartupOptions& options) {
  const std::string name = "InitInstance" + std::to_string(phase);
  CStageScope scope(phase == 1 ? "InitInstance1" : phase == 2 ? "InitInstance2" : "InitInstance3");
  bool ok = true;
  if (phase == 1) ok = VerifyCriticalFiles();
  const bool noSsdp = HasSwitch(options.commandLine, "nossdp");
  for (const auto& stage : PhaseStages(phase)) {
    if (!ok) break;
    if (stage == "NetStart" && noSsdp) continue;
    if (stage == "Init NavObj") Log("Initializing NavObj...\n");
    ok = RunStartupStage(stage);
    if (stage == "Init NavObj" && ok) Log("Initializing NavObj: done.\n");
  }
  if (ok && phase == 1 && !opt::Startup_NoDisclaimer.GetBool() && !AskDisclaimer(options)) {
    // A signal that ended the question is not a declined disclaimer.
    if (!exitRequested_.load()) Log("Disclaimer not OK\n");
    exitRequested_.store(true);
  }
  if (!ok) {
    Log("%s failed\n", name.c_str());
    return false;
  }
  if (exitRequested_.load()) {
    Log("%s exited\n", name.c_str());
    return false;
  }
  return true;
}

StartupResult CApplication::Start(const StartupOptions& options) {
  state_.store(kStateStarting);
  const uint64_t startTick = TickCount();
  if (!options.dataFolder.empty()) SetDataFolder(options.dataFolder);
  const auto dataFolder = DataFolder();
  EnsureFolder(dataFolder);
  DeleteTempFiles();

  if (options.singleInstance) {
    instance_ = std::make_unique<CInstanceGuard>(RuntimeFolder());
    switch (instance_->Acquire(options.showRequest, options.controlRequest)) {
      case CInstanceGuard::Outcome::Acquired: break;
      case CInstanceGuard::Outcome::OtherUser:
        Notifications().Post(NotificationKind::Error,
                             "$AppTitle is already running in a different user's account.");
        instance_.reset();
        state_.store(0);
        return StartupResult::Failed;
      case CInstanceGuard::Outcome::AlreadyRunning: {
        std::string answer = instance_->Answer();
        instance_.reset();
        state_.store(0);
        if (!answer.empty()) Notifications().Post(NotificationKind::Message, answer);
        return StartupResult::AlreadyRunning;
      }
      case CInstanceGuard::Outcome::Error:
        // Without a private runtime folder another user could take over the
        // control socket: refuse to start.
        Notifications().Post(NotificationKind::Error,
                             "$AppTitle cannot start: " + instance_->Problem() + ".");
        instance_.reset();
        state_.store(0);
        return StartupResult::Failed;
    }
  }

  OpenApplicationLog(dataFolder);
  Log("Data Folder: %s\n", dataFolder.c_str());

  registry_ = std::make_unique<CRegistryFile>(CRegistryFile::DefaultPath());
  watchdog_ = std::make_unique<CWatchdog>(*registry_, dataFolder / "crash");
  UncleanExit unclean = watchdog_->Arm(UtcNowMs());
  previousRunUnclean_ = unclean.previousRunUnclean;
  crashReport_ = unclean.crashReport;
  if (options.installCrashHandler) InstallCrashHandler(dataFolder / "crash");
  if (previousRunUnclean_) {
    const std::string text = UncleanExitMessage(unclean);
    Log("%s", ExpandMessage(text).c_str());
    Notifications().Post(NotificationKind::Warning, text);
  }

  LogSystemDescription();
  uiThread_ = std::this_thread::get_id();

  OpenSettingsStore(dataFolder / "storage.db");
  LoadProgramSettings(*registry_);

  for (int phase = 1; phase <= 3; ++phase) {
    if (!RunPhase(phase, options)) {
      const bool exited = exitRequested_.load();
      state_.store(0);
      if (watchdog_) watchdog_->Disarm();
      if (instance_) instance_->Release();
      return exited ? StartupResult::Exited : StartupResult::Failed;
    }
  }

  Log("Initialization complete in %.3f seconds.\n\n",
      static_cast<double>(TickCount() - startTick) / 1000.0);
  RunStartupStage("Init Charts");
  RunStartupStage("app_init");
  state_.store(kStateRunning);
  return StartupResult::Running;
}

void CApplication::RunTimedStage(const char* name, const std::vector<Hook>& hooks) {
  CStageScope scope(name);
  const uint64_t started = TickCount();
  for (const auto& hook : hooks) hook();
  const uint64_t took = TickCount() - started;
  if (took > kSlowStageMs) Log("STAGE(%s) took %dmS\n", name, static_cast<int>(took));
}

void CApplication::RunTimers() {
  const uint64_t now = TickCount();
  for (auto& timer : timers_) {
    if (now < timer.nextDue) continue;
    timer.nextDue = now + timer.intervalMs;
    timer.hook();
  }
}

void CApplication::RunPubsSync() {
  const bool running = pubsSyncRunning_.load();
  if (running != pubsSyncSeen_) {
    pubsSyncSeen_ = running;
    RunTimedStage(running ? "Pubs_OnSyncStarted" : "Pubs_OnSyncFinished",
                  tickHooks_[static_cast<size_t>(TickStage::Pubs_Sync)]);
    pubsProgressDue_ = TickCount() + kPubsProgressIntervalMs;
  } else if (running && TickCount() >= pubsProgressDue_) {
    pubsProgressDue_ = TickCount() + kPubsProgressIntervalMs;
    RunTimedStage("Pubs_OnSyncProgress", tickHooks_[static_cast<size_t>(TickStage::Pubs_Sync)]);
  }
}

bool CApplication::Tick() {
  if (state_.load() != kStateRunning) return false;
  const uint64_t now = TickCount();
  if (lastTick_ && now - *lastTick_ < kTickIntervalMs) return false;
  lastTick_ = now;

  CStageScope scope("DoTickWork");
  for (int i = 0; i < kTickStageCount; ++i) {
    const auto stage = static_cast<TickStage>(i);
    const auto& hooks = tickHooks_[static_cast<size_t>(i)];
    switch (stage) {
      case TickStage::ExecTimers:
        RunTimedStage(TickStageName(stage), {[this] { RunTimers(); }});
        break;
      case TickStage::Pubs_Sync:
        RunPubsSync();
        break;
      case TickStage::DoAllJobs: {
        std::vector<Hook> work{[] { UiJobs().RunAll(); }};
        work.insert(work.end(), hooks.begin(), hooks.end());
        RunTimedStage(TickStageName(stage), work);
        break;
      }
      case TickStage::Settings_SaveModified:
        RunTimedStage(TickStageName(stage), {[] {
                        CSettingsRegistry::Instance().SaveModified(TickCount());
                      }});
        break;
      default:
        RunTimedStage(TickStageName(stage), hooks);
        break;
    }
  }
  const uint64_t took = TickCount() - now;
  if (took > kSlowStageMs) Log("STAGE(%s) took %dmS\n", "DoTickWork", static_cast<int>(took));
  return true;
}

void CApplication::Run() {
  while (!exitRequested_.load()) {
    const uint64_t now = TickCount();
    const uint64_t due = lastTick_ ? *lastTick_ + kTickIntervalMs : now;
    UiJobs().WaitForWork(due > now ? due - now : 0);
    if (exitRequested_.load()) break;
    if (!Tick() && UiJobs().Pending() > 0) {
      // Requests from worker threads (the HTTP server) need not wait for the next tick.
      CStageScope scope("DoAllJobs");
      UiJobs().RunAll();
    }
  }
  Shutdown();
}

void CApplication::RequestExit() {
  exitRequested_.store(true);
  UiJobs().Wake();
}

void CApplication::RunShutdownStage(const std::string& stage) {
  CStageScope scope(stage.c_str());
  if (auto it = shutdownHooks_.find(stage); it != shutdownHooks_.end())
    for (auto& hook : it->second) hook();
  if (stage == "Exit_Watchdog") {
    if (watchdog_) watchdog_->Disarm();
    if (instance_) instance_->Release();
  }
}

void CApplication::Shutdown() {
  if (shutDown_) return;
  shutDown_ = true;
  Log("Shutting down...\n");
  state_.store(kStateShuttingDown);
  ShutdownEvent().Signal();
  for (const auto& stage : ShutdownStages()) RunShutdownStage(stage);
  {
    CStageScope scope("Settings_SaveModified");
    CSettingsRegistry::Instance().SaveAll();
  }
  {
    CStageScope scope("DeleteTempFiles");
    DeleteTempFiles();
  }
  Log("Shutdown complete\n");
}

void CApplication::DeleteTempFiles() {
  std::error_code ec;
  std::filesystem::remove_all(DataFolder() / "tmp", ec);
}

}  // namespace tarnwick
