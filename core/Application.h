#pragma once
// The frame everything runs in: the ordered start-up in three phases, the
// global tick that drives all periodic work of the user-interface thread, and
// the ordered shutdown. Features do not own timers; they register hooks into
// the named stages here.

#include <array>
#include <atomic>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "core/TickStages.h"

namespace tarnwick {

class CInstanceGuard;
class CRegistryFile;
class CWatchdog;

// Answers the disclaimer: given its text, true when the navigator accepts.
using DisclaimerPrompt = std::function<bool(const std::string& text)>;

struct StartupOptions {
  std::filesystem::path dataFolder;         // empty: the default data folder
  std::vector<std::string> commandLine;     // switches ("sync", "nossdp") and documents
  bool singleInstance = true;               // take the single-instance lock
  bool installCrashHandler = true;          // write crash reports on fatal signals
  DisclaimerPrompt disclaimer;              // null: refuse (no way to ask)
  // Called when a second instance asks this one to show itself; returns the
  // text sent back (the address of the main window's page).
  std::function<std::string()> showRequest;
  // Answers a command line of the command line tools on the control socket
  // (see CInstanceGuard); runs on the socket's own thread.
  std::function<std::string(const std::string&)> controlRequest;
};

enum class StartupResult { Running, Failed, Exited, AlreadyRunning };

class CApplication {
 public:
  static constexpr int kStateStarting = 1;
  static constexpr int kStateRunning = 2;
  static constexpr int kStateShuttingDown = 3;
  static constexpr uint64_t kTickIntervalMs = 100;
  static constexpr uint64_t kSlowStageMs = 10;

  // A start-up stage's hook returns false when the stage failed.
  using StartupHook = std::function<bool()>;
  using Hook = std::function<void()>;

  CApplication();
  ~CApplication();
  CApplication(const CApplication&) = delete;
  CApplication& operator=(const CApplication&) = delete;

  // Hook registration, before Start. Hooks of one stage run in registration order.
  void OnStartupStage(const std::string& stage, StartupHook hook);
  void OnTick(TickStage stage, Hook hook);
  void OnShutdownStage(const std::string& stage, Hook hook);
  // Application timers run by the "ExecTimers" stage every intervalMs.
  void AddTimer(uint64_t intervalMs, Hook hook);

  // Runs start-up steps and phases 1-3. On success the state is running.
  StartupResult Start(const StartupOptions& options);
  // Runs the tick stages when running and at least 100 ms have passed since
  // the last tick; returns whether the stages ran.
  bool Tick();
  // Waits for work and ticks until an exit is requested, then shuts down.
  void Run();
  // Ordered shutdown; runs once.
  void Shutdown();

  // Asks the running program to end (any thread, signal handlers' helper thread).
  void RequestExit();
  bool ExitRequested() const { return exitRequested_.load(); }
  int State() const { return state_.load(); }
  bool IsUiThread() const { return std::this_thread::get_id() == uiThread_; }

  // Publication synchronisation: the tick runs "Pubs_OnSyncStarted" and
  // "Pubs_OnSyncFinished" hooks once on each change of this state.
  void SetPublicationSyncRunning(bool running) { pubsSyncRunning_.store(running); }

  // True when the unclean-exit detector found that the previous run did not end cleanly.
  bool PreviousRunUnclean() const { return previousRunUnclean_; }
  // The crash report of that run, when one was written.
  const std::optional<std::filesystem::path>& PreviousCrashReport() const { return crashReport_; }

  // The start-up stage names of each phase, in order (for listings and tests).
  static const std::vector<std::string>& PhaseStages(int phase);
  static const std::vector<std::string>& ShutdownStages();

 private:
  bool RunStartupStage(const std::string& stage);
  bool RunPhase(int phase, const StartupOptions& options);
  bool VerifyCriticalFiles();
  // Opens storage.db; an unusable one is set aside for a fresh one, and the
  // navigator is told either way.
  void OpenSettingsStore(const std::filesystem::path& path);
  bool AskDisclaimer(const StartupOptions& options);
  void RunTimedStage(const char* name, const std::vector<Hook>& hooks);
  void RunTimers();
  void RunPubsSync();
  void RunShutdownStage(const std::string& stage);
  void DeleteTempFiles();

  std::map<std::string, std::vector<StartupHook>> startupHooks_;
  std::array<std::vector<Hook>, kTickStageCount> tickHooks_;
  std::map<std::string, std::vector<Hook>> shutdownHooks_;
  struct Timer {
    uint64_t intervalMs;
    uint64_t nextDue;
    Hook hook;
  };
  std::vector<Timer> timers_;

  std::atomic<int> state_{0};
  std::atomic<bool> exitRequested_{false};
  std::optional<uint64_t> lastTick_;
  std::thread::id uiThread_;
  std::atomic<bool> pubsSyncRunning_{false};
  bool pubsSyncSeen_ = false;
  uint64_t pubsProgressDue_ = 0;
  bool shutDown_ = false;
  bool previousRunUnclean_ = false;
  std::optional<std::filesystem::path> crashReport_;
  std::unique_ptr<CInstanceGuard> instance_;
  std::unique_ptr<CRegistryFile> registry_;
  std::unique_ptr<CWatchdog> watchdog_;
};

}  // namespace tarnwick
