// The global tick under a simulated clock: its 100 ms minimum interval, the
// order of stages, slow-stage reports and the debounced settings save.

#include <gtest/gtest.h>

#include <functional>

#include <nlohmann/json.hpp>

#include "core/Application.h"
#include "core/Clock.h"
#include "core/JobQueue.h"
#include "core/Log.h"
#include "core/SettingsRegistry.h"
#include "core/Stage.h"
#include "core/Storage.h"
#include "core/settings/AisSettings.h"
#include "core/tests/support/TestSupport.h"

namespace tarnwick {
namespace {

using testing::CScopedEnv;
using testing::CTempFolder;

class TickTest : public ::testing::Test {
 protected:
  void SetUp() override {
    options_.dataFolder = folder_ / "data";
    options_.singleInstance = false;
    options_.installCrashHandler = false;
    options_.disclaimer = [](const std::string&) { return true; };
  }
  void TearDown() override { CSettingsRegistry::Instance().ResetState(); }
  void Start() { ASSERT_EQ(app_.Start(options_), StartupResult::Running); }

  CTempFolder folder_;
  CScopedEnv config_{"XDG_CONFIG_HOME", (folder_ / "config").string()};
  CSimulatedClock clock_;
  CScopedClock useClock_{clock_};
  StartupOptions options_;
  CApplication app_;
};

TEST_F(TickTest, RunsAtMostEveryHundredMilliseconds) {
  int runs = 0;
  app_.OnTick(TickStage::UpdateNavInfo, [&] { ++runs; });
  EXPECT_FALSE(app_.Tick()) << "no tick before start-up";
  Start();
  EXPECT_TRUE(app_.Tick());
  clock_.Advance(50);
  EXPECT_FALSE(app_.Tick());
  clock_.Advance(49);
  EXPECT_FALSE(app_.Tick());
  clock_.Advance(1);
  EXPECT_TRUE(app_.Tick());
  EXPECT_EQ(runs, 2);
}

TEST_F(TickTest, StagesRunInOrderUnderTheirNames) {
  std::vector<std::string> seen;
  for (int i = kTickStageCount - 1; i >= 0; --i) {
    auto stage = static_cast<TickStage>(i);
    app_.OnTick(stage, [&seen] { seen.push_back(CurrentStage()); });
  }
  Start();
  app_.Tick();
  const std::vector<std::string> expected = {
      "XUI_Animate",  "UpdateNavInfo",     "UpdateAIS",     "UpdateNavObjects",
      "Autopilot_Update", "UpdateObstacles", "UpdateAlarms", "CAppTimer::OnTick",
      "Radar_Advance", "InfoPanel_OnTick",  "DoAllJobs"};
  EXPECT_EQ(seen, expected);
}

TEST_F(TickTest, ReportsStagesOverTenMilliseconds) {
  app_.OnTick(TickStage::UpdateAIS, [&] { clock_.Advance(10); });
  app_.OnTick(TickStage::UpdateAlarms, [&] { clock_.Advance(11); });
  Start();
  CLogCapture log;
  app_.Tick();
  const auto& lines = log.Lines();
  EXPECT_EQ(std::count(lines.begin(), lines.end(), "STAGE(UpdateAIS) took 10mS"), 0);
  EXPECT_EQ(std::count(lines.begin(), lines.end(), "STAGE(UpdateAlarms) took 11mS"), 1);
  EXPECT_EQ(std::count(lines.begin(), lines.end(), "STAGE(DoTickWork) took 21mS"), 1);
}

TEST_F(TickTest, JobsPostedFromOtherThreadsRunInDoAllJobs) {
  Start();
  std::string stage;
  std::thread poster([&] { UiJobs().Post([&] { stage = CurrentStage(); }); });
  poster.join();
  app_.Tick();
  EXPECT_EQ(stage, "DoAllJobs");
  EXPECT_EQ(UiJobs().Pending(), 0u);
}

TEST_F(TickTest, TimersRunWhenDue) {
  int fired = 0;
  app_.AddTimer(250, [&] { ++fired; });
  Start();
  for (int i = 0; i < 10; ++i) {
    app_.Tick();
    clock_.Advance(100);
  }
  EXPECT_EQ(fired, 3) << "due at 250 ms: runs at the ticks of 300, 600 and 900 ms";
}

TEST_F(TickTest, PublicationSyncHooksRunOnStateChanges) {
  std::vector<std::string> seen;
  app_.OnTick(TickStage::Pubs_Sync, [&] { seen.push_back(CurrentStage()); });
  Start();
  app_.Tick();
  app_.SetPublicationSyncRunning(true);
  clock_.Advance(100);
  app_.Tick();
  clock_.Advance(100);
  app_.Tick();
  app_.SetPublicationSyncRunning(false);
  clock_.Advance(100);
  app_.Tick();
  EXPECT_EQ(seen, (std::vector<std::string>{"Pubs_OnSyncStarted", "Pubs_OnSyncFinished"}));
}

TEST_F(TickTest, SettingsAreSavedByTheTickOneSecondAfterTheLastChange) {
  std::vector<std::function<void()>> changes = {
      [] { opt::AIS_DangerCPA.Set("0.5 nm"); }, {}, {}, {}, {},
      [] { opt::AIS_DangerTCPA.Set("4 min"); }};
  size_t tick = 0;
  app_.OnTick(TickStage::UpdateAIS, [&] {
    if (tick < changes.size() && changes[tick]) changes[tick]();
    ++tick;
  });
  Start();
  const auto stored = [] { return Storage().Get("options", "AIS"); };
  // Ticks every 100 ms: changes at 0 and 500 ms, so the write is due at 1500 ms.
  for (int ms = 0; ms < 1500; ms += 100) {
    app_.Tick();
    EXPECT_FALSE(stored()) << "written at " << ms << " ms";
    clock_.Advance(100);
  }
  app_.Tick();
  const auto row = stored();
  ASSERT_TRUE(row) << "not written at 1500 ms";
  EXPECT_EQ(nlohmann::json::parse(*row),
            nlohmann::json::parse(R"({"DangerCPA":"0.5 nm","DangerTCPA":"4 min"})"));
}

TEST_F(TickTest, NoTicksAfterShutdownBegins) {
  int runs = 0;
  app_.OnTick(TickStage::UpdateNavInfo, [&] { ++runs; });
  Start();
  app_.Shutdown();
  clock_.Advance(1000);
  EXPECT_FALSE(app_.Tick());
  EXPECT_EQ(runs, 0);
  EXPECT_EQ(app_.State(), CApplication::kStateShuttingDown);
}

}  // namespace
}  // namespace tarnwick
