// The depth alert: limits, repetition, lost readings and charted depth.

#include <gtest/gtest.h>

#include "core/settings/AlertsSettings.h"
#include "core/settings/UnitsSettings.h"
#include "core/units/UnitSystem.h"
#include "instruments/navdata/DepthAlert.h"

namespace tarnwick {
namespace {

struct Step {
  std::optional<double> sounder;
  std::optional<double> charted;
  uint64_t afterMs;               // since the previous step
  std::vector<std::string> said;  // texts given by this step
};

struct AlertCase {
  const char* name;
  DepthAlertLimits limits;
  std::vector<Step> steps;
};

class DepthAlertSteps : public ::testing::TestWithParam<AlertCase> {
 protected:
  void SetUp() override {
    opt::Units_Depth.Set("meters");
    RefreshUnitSettings();
  }
  void TearDown() override {
    opt::Units_Depth.ResetToDefault();
    RefreshUnitSettings();
  }
};

TEST_P(DepthAlertSteps, SaysWhatTheReadingsCallFor) {
  const AlertCase& c = GetParam();
  std::vector<std::string> said;
  CDepthAlert alert([&](const std::string& text, bool) { said.push_back(text); });
  uint64_t now = 1'000'000;
  for (size_t i = 0; i < c.steps.size(); ++i) {
    now += c.steps[i].afterMs;
    said.clear();
    alert.Update(c.steps[i].sounder, c.steps[i].charted, c.limits, now);
    EXPECT_EQ(said, c.steps[i].said) << "step " << i;
  }
}

DepthAlertLimits Shallow(double metres) {
  DepthAlertLimits limits;
  limits.shallowerThan = metres;
  limits.repeatMs = 30000;
  return limits;
}

DepthAlertLimits Deep(double metres) {
  DepthAlertLimits limits;
  limits.deeperThan = metres;
  limits.repeatMs = 30000;
  return limits;
}

INSTANTIATE_TEST_SUITE_P(
    Sequences, DepthAlertSteps,
    ::testing::Values(
        AlertCase{"ShallowAlertRepeatsAfterTheInterval",
                  Shallow(3.0),
                  {{5.0, {}, 0, {}},
                   {2.5, {}, 1000, {"Alert. Depth is 2.5 meters."}},
                   {2.4, {}, 29000, {}},
                   {2.3, {}, 1000, {"Alert. Depth is 2.3 meters."}},
                   {4.0, {}, 1000, {}},
                   {2.0, {}, 1000, {"Alert. Depth is 2 meters."}}}},
        AlertCase{"DeepAlert",
                  Deep(100.0),
                  {{50.0, {}, 0, {}}, {150.0, {}, 100, {"Alert. Depth is 150 meters."}}}},
        AlertCase{"LostReadingIsSaidOnce",
                  Shallow(3.0),
                  {{5.0, {}, 0, {}},
                   {{}, {}, 100, {"Alert. Lost depth reading."}},
                   {{}, {}, 100, {}},
                   {0.0, {}, 100, {}},
                   {5.0, {}, 100, {}},
                   {0.0, {}, 100, {"Alert. Lost depth reading."}}}},
        AlertCase{"LostReadingClearsTheAlert",
                  Shallow(3.0),
                  {{2.0, {}, 0, {"Alert. Depth is 2 meters."}},
                   {{}, {}, 100, {"Alert. Lost depth reading."}},
                   {2.0, {}, 100, {"Alert. Depth is 2 meters."}}}},
        AlertCase{"ChartedDepthWithoutASounder",
                  Shallow(3.0),
                  {{{}, 10.0, 0, {}},
                   {{}, 2.0, 100, {"Alert. Charted Depth is 2 meters."}},
                   {{}, {}, 100, {}}}},
        AlertCase{"SounderTakesOverFromTheChart",
                  Shallow(3.0),
                  {{{}, 2.0, 0, {"Alert. Charted Depth is 2 meters."}},
                   {8.0, 2.0, 100, {}},
                   {{}, 2.0, 100, {"Alert. Lost depth reading."}},
                   {{}, 2.0, 60000, {}}}},
        AlertCase{"NoLimitsNoAlerts", DepthAlertLimits{}, {{0.5, {}, 0, {}}, {9999.0, {}, 0, {}}}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(DepthAlertSettings, LimitsComeFromTheAlertsSettings) {
  opt::Alerts_DepthBelow.SetBool(true);
  opt::Alerts_DepthBelowValue.Set("10 ft");
  opt::Alerts_TimeBetweenAlerts.Set("2 min");
  const DepthAlertLimits limits = DepthAlertLimitsFromSettings();
  ASSERT_TRUE(limits.shallowerThan);
  EXPECT_NEAR(*limits.shallowerThan, 3.048, 1e-9);
  EXPECT_FALSE(limits.deeperThan) << "Alerts_DepthAbove is off";
  EXPECT_EQ(limits.repeatMs, 120000u);
  for (CSetting* s :
       {&opt::Alerts_DepthBelow, &opt::Alerts_DepthBelowValue, &opt::Alerts_TimeBetweenAlerts})
    s->ResetToDefault();
}

TEST(DepthAlertSettings, IntervalTexts) {
  const std::pair<const char*, std::optional<uint64_t>> cases[] = {
      {"30 secs", 30000},     {"45", 45000},          {"2 min", 120000},
      {"1.5 minutes", 90000}, {"1 hour", 3600000},    {"10s", 10000},
      {"", std::nullopt},     {"soon", std::nullopt}, {"5 parsecs", std::nullopt},
      {"-3 s", std::nullopt},
  };
  for (const auto& [text, ms] : cases) EXPECT_EQ(ParseAlertInterval(text), ms) << text;
}

TEST(DepthAlertSettings, SpokenDepthFollowsTheDepthUnit) {
  const std::pair<const char*, const char*> cases[] = {
      {"meters", "3.05 meters"}, {"feet", "10 feet"}, {"fathoms", "2 fathoms"}};
  for (const auto& [unit, text] : cases) {
    opt::Units_Depth.Set(unit);
    RefreshUnitSettings();
    EXPECT_EQ(SpokenDepth(3.048), text) << unit;
  }
  opt::Units_Depth.ResetToDefault();
  RefreshUnitSettings();
}

}  // namespace
}  // namespace tarnwick
