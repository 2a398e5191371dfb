// The demo's data folder choice and the description the user interface shows.

#include "app/Demo.h"

#include <gtest/gtest.h>

#include <algorithm>

#include <nlohmann/json.hpp>

#include "core/Application.h"
#include "core/Paths.h"
#include "core/tests/support/TestSupport.h"
#include "instruments/ais/sim/AisTargetSimulator.h"

namespace tarnwick {
namespace {

TEST(Demo, UsesAFolderOfItsOwnUnlessOneWasChosen) {
  testing::CTempFolder temp;
  testing::CScopedEnv xdg("XDG_DATA_HOME", temp.Path().string());
  SetDataFolder({});
  EXPECT_EQ(SelectDemoDataFolder(), temp / "tarnwick-ecs-demo");
  EXPECT_EQ(DataFolder(), temp / "tarnwick-ecs-demo");

  SetDataFolder(temp / "chosen");
  EXPECT_EQ(SelectDemoDataFolder(), temp / "chosen");
  EXPECT_EQ(DataFolder(), temp / "chosen");
  SetDataFolder({});
}

TEST(Demo, DescribesRecordedAndSimulatedPartsOnlyWhenRunning) {
  EXPECT_FALSE(DemoDescription());
  CApplication app;
  RegisterDemo(app, DemoVoyage::Sail);
  const auto text = DemoDescription();
  ASSERT_TRUE(text);
  const auto json = nlohmann::json::parse(*text, nullptr, false);
  ASSERT_TRUE(json.is_object()) << *text;
  ASSERT_TRUE(json["recorded"].is_array());
  EXPECT_NE(json["recorded"][0].get<std::string>().find("own ship"), std::string::npos);
  // The simulated traffic is told as the simulator's fleet makes it.
  const auto fleet = DemoFleet();
  const auto classB = std::count_if(fleet.begin(), fleet.end(),
                                    [](const SimulatedVessel& v) { return !v.classA; });
  ASSERT_GT(classB, 0);
  const std::string simulated = json["simulated"][0].get<std::string>();
  EXPECT_NE(simulated.find(std::to_string(fleet.size()) + " targets ("), std::string::npos)
      << simulated;
  EXPECT_NE(simulated.find(std::to_string(classB) + " class B)"), std::string::npos) << simulated;
  EXPECT_EQ(json["loop"], true);
  EXPECT_EQ(json["voyage"], "sail");
  EXPECT_EQ(json["voyages"].size(), 2u);
}

TEST(Demo, VoyagesByTheirCommandLineNames) {
  EXPECT_EQ(DemoVoyageNamed("harbour"), DemoVoyage::Harbour);
  EXPECT_EQ(DemoVoyageNamed("sail"), DemoVoyage::Sail);
  for (const char* other : {"Sail", "", "moon", "--no-browser"}) EXPECT_FALSE(DemoVoyageNamed(other));
}

}  // namespace
}  // namespace tarnwick
