// Start-up and shutdown: the stage order of the three phases, the failure and
// exit paths with their log lines, critical files, the disclaimer, and the
// unclean-exit detector.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "core/Application.h"
#include "core/Clock.h"
#include "core/Log.h"
#include "core/Notifications.h"
#include "core/RegistryFile.h"
#include "core/SettingsRegistry.h"
#include "core/ShutdownEvent.h"
#include "core/Stage.h"
#include "core/Watchdog.h"
#include "core/settings/StartupSettings.h"
#include "core/tests/support/TestSupport.h"

namespace tarnwick {
namespace {

// A program folder like an installed one: the files of data/ plus an empty
// stand-in for every generated file the manifest lists (web front end, world
// coastlines), so start-up does not depend on what the build has staged.
void MakeProgramFolder(const std::filesystem::path& folder) {
  std::filesystem::copy(std::filesystem::path(TW_SOURCE_DIR) / "data", folder,
                        std::filesystem::copy_options::recursive);
  std::ifstream manifest(folder / "critical-files.txt");
  for (std::string line; std::getline(manifest, line);) {
    if (line.empty() || line[0] == '#' || std::filesystem::exists(folder / line)) continue;
    std::filesystem::create_directories((folder / line).parent_path());
    std::ofstream(folder / line).put('\n');
  }
}

using testing::CScopedEnv;
using testing::CTempFolder;
using testing::ReadFile;
using testing::WriteFile;

class StartupTest : public ::testing::Test {
 protected:
  void SetUp() override {
    MakeProgramFolder(folder_ / "program");
    CSettingsRegistry::Instance().ResetState();
    ShutdownEvent().Reset();
    options_.dataFolder = folder_ / "data";
    options_.singleInstance = false;
    options_.installCrashHandler = false;
    options_.disclaimer = [this](const std::string& text) {
      disclaimerText_ = text;
      return acceptDisclaimer_;
    };
  }
  void TearDown() override {
    CloseApplicationLog();
    CSettingsRegistry::Instance().ResetState();
    ShutdownEvent().Reset();
  }
  std::string LogText() { return ReadFile(folder_ / "data" / "Application.log"); }
  void RecordAllStages(CApplication& app) {
    for (int phase = 1; phase <= 3; ++phase)
      for (const auto& stage : CApplication::PhaseStages(phase))
        app.OnStartupStage(stage, [this, stage] {
          EXPECT_EQ(stage, CurrentStage());
          seen_.push_back(stage);
          return true;
        });
    for (const auto& stage : CApplication::ShutdownStages())
      app.OnShutdownStage(stage, [this, stage] { seen_.push_back(stage); });
  }

  CTempFolder folder_;
  CScopedEnv config_{"XDG_CONFIG_HOME", (folder_ / "config").string()};
  CScopedEnv program_{"TARNWICK_SHARE_DIR", (folder_ / "program").string()};
  CSimulatedClock clock_;
  CScopedClock useClock_{clock_};
  StartupOptions options_;
  bool acceptDisclaimer_ = true;
  std::string disclaimerText_;
  std::vector<std::string> seen_;
};

TEST_F(StartupTest, PhasesRunTheirStagesInOrderThenShutdownInOrder) {
  CApplication app;
  RecordAllStages(app);
  ASSERT_EQ(app.Start(options_), StartupResult::Running);
  EXPECT_EQ(app.State(), CApplication::kStateRunning);
  std::vector<std::string> expected;
  for (int phase = 1; phase <= 3; ++phase)
    for (const auto& stage : CApplication::PhaseStages(phase)) expected.push_back(stage);
  EXPECT_EQ(seen_, expected);
  EXPECT_NE(disclaimerText_.find("aid to"), std::string::npos);

  seen_.clear();
  app.Shutdown();
  EXPECT_EQ(seen_, CApplication::ShutdownStages());
  EXPECT_TRUE(ShutdownEvent().IsSet());
  const std::string log = LogText();
  const char* inOrder[] = {"Data Folder: ",
                           "Initializing NavObj...\r\n",
                           "Initializing NavObj: done.\r\n",
                           "Initialization complete in ",
                           "Shutting down...\r\n",
                           "Shutdown complete\r\n"};
  size_t at = 0;
  for (const char* text : inOrder) {
    size_t found = log.find(text, at);
    ASSERT_NE(found, std::string::npos) << text << "\n" << log;
    at = found;
  }
}

TEST_F(StartupTest, NoSsdpSkipsNetStart) {
  CApplication app;
  RecordAllStages(app);
  options_.commandLine = {"nossdp"};
  ASSERT_EQ(app.Start(options_), StartupResult::Running);
  EXPECT_EQ(std::count(seen_.begin(), seen_.end(), "NetStart"), 0);
  EXPECT_EQ(std::count(seen_.begin(), seen_.end(), "Init Ports"), 1);
}

TEST_F(StartupTest, AFailingStageEndsStartupWithItsPhaseLine) {
  struct Row {
    const char* stage;
    const char* line;
  };
  const Row rows[] = {{"Init Main Frame", "InitInstance1 failed\r\n"},
                      {"Init Ports", "InitInstance2 failed\r\n"},
                      {"Init_XFrame", "InitInstance3 failed\r\n"}};
  for (const auto& row : rows) {
    CApplication app;
    bool laterStageRan = false;
    app.OnStartupStage(row.stage, [] { return false; });
    app.OnStartupStage("Init Charts", [&] { return laterStageRan = true; });
    EXPECT_EQ(app.Start(options_), StartupResult::Failed) << row.stage;
    EXPECT_NE(LogText().find(row.line), std::string::npos) << row.stage;
    EXPECT_FALSE(laterStageRan);
    EXPECT_NE(app.State(), CApplication::kStateRunning);
    CloseApplicationLog();
  }
}

TEST_F(StartupTest, DeclinedDisclaimerExitsAfterPhaseOne) {
  acceptDisclaimer_ = false;
  CApplication app;
  RecordAllStages(app);
  EXPECT_EQ(app.Start(options_), StartupResult::Exited);
  const std::string log = LogText();
  EXPECT_NE(log.find("Disclaimer not OK\r\n"), std::string::npos);
  EXPECT_NE(log.find("InitInstance1 exited\r\n"), std::string::npos);
  EXPECT_EQ(std::count(seen_.begin(), seen_.end(), "Init Ports"), 0);
}

TEST_F(StartupTest, NoDisclaimerSettingSkipsTheQuestion) {
  acceptDisclaimer_ = false;
  MakeProgramFolder(folder_ / "admin");
  WriteFile(folder_ / "admin" / "Admin.ini", "[Default Options]\nStartup.NoDisclaimer=true\n");
  CScopedEnv share("TARNWICK_SHARE_DIR", (folder_ / "admin").string());
  CApplication app;
  EXPECT_EQ(app.Start(options_), StartupResult::Running);
  EXPECT_TRUE(disclaimerText_.empty());
}

TEST_F(StartupTest, AMissingCriticalFileEndsPhaseOne) {
  MakeProgramFolder(folder_ / "share");
  std::filesystem::remove(folder_ / "share" / "Disclaimer.txt");
  CScopedEnv share("TARNWICK_SHARE_DIR", (folder_ / "share").string());
  CApplication app;
  uint64_t lastNote = Notifications().Since(0).empty() ? 0 : Notifications().Since(0).back().id;
  EXPECT_EQ(app.Start(options_), StartupResult::Failed);
  const std::string log = LogText();
  EXPECT_NE(log.find("Missing critical file\r\n"), std::string::npos);
  EXPECT_NE(log.find("InitInstance1 failed\r\n"), std::string::npos);
  auto notes = Notifications().Since(lastNote);
  ASSERT_FALSE(notes.empty());
  EXPECT_EQ(notes.back().text,
            "Tarnwick ECS cannot find some of the files it needs to run. You may need to "
            "re-install!\n\n");
}

TEST_F(StartupTest, ExitRequestedByAStageEndsThatPhase) {
  CApplication app;
  app.OnStartupStage("Init Tides", [&app] {
    app.RequestExit();
    return true;
  });
  EXPECT_EQ(app.Start(options_), StartupResult::Exited);
  EXPECT_NE(LogText().find("InitInstance2 exited\r\n"), std::string::npos);
}

TEST_F(StartupTest, RunKilledWithoutShutdownIsDetectedAtTheNextStart) {
  {
    CApplication app;
    ASSERT_EQ(app.Start(options_), StartupResult::Running);
    EXPECT_FALSE(app.PreviousRunUnclean());
    // No Shutdown(): the run "dies" here and leaves the watchdog key behind.
  }
  CloseApplicationLog();
  clock_.Advance(60'000);
  WriteFile(folder_ / "data" / "crash" / "crash-20990101T000000Z.dmp", "Signal: 11\n");
  CApplication next;
  ASSERT_EQ(next.Start(options_), StartupResult::Running);
  EXPECT_TRUE(next.PreviousRunUnclean());
  ASSERT_TRUE(next.PreviousCrashReport());
  EXPECT_EQ(next.PreviousCrashReport()->filename(), "crash-20990101T000000Z.dmp");
  EXPECT_NE(LogText().find("Possible system error during session in mini-dump file"),
            std::string::npos);
  EXPECT_NE(LogText().find("crashed at 2099-01-01 00:00:00 UTC: signal 11. "), std::string::npos)
      << "the report's time (from its name) and signal";
  next.Shutdown();
  CRegistryFile registry(CRegistryFile::DefaultPath());
  EXPECT_FALSE(registry.KeyExists("Watchdog")) << "a clean exit removes the key";

  CloseApplicationLog();
  CApplication clean;
  ASSERT_EQ(clean.Start(options_), StartupResult::Running);
  EXPECT_FALSE(clean.PreviousRunUnclean());
  clean.Shutdown();
}

TEST(Watchdog, CompactTimeRoundTrips) {
  EXPECT_EQ(FormatCompactUtc(1'767'225'600'000), "20260101T000000Z");
  EXPECT_EQ(ParseCompactUtc("20260101T000000Z"), 1'767'225'600'000);
  EXPECT_FALSE(ParseCompactUtc("2026-01-01"));
  EXPECT_FALSE(ParseCompactUtc(""));
}

}  // namespace
}  // namespace tarnwick
