// The demo's data folder choice and the description the user interface shows.

#include "app/Demo.h"

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "core/Application.h"
#include "core/Paths.h"
#include "core/tests/support/TestSupport.h"

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
  RegisterDemo(app);
  const auto text = DemoDescription();
  ASSERT_TRUE(text);
  const auto json = nlohmann::json::parse(*text, nullptr, false);
  ASSERT_TRUE(json.is_object()) << *text;
  ASSERT_TRUE(json["recorded"].is_array());
  EXPECT_NE(json["recorded"][0].get<std::string>().find("own ship"), std::string::npos);
  EXPECT_NE(json["simulated"][0].get<std::string>().find("12 targets"), std::string::npos);
  EXPECT_EQ(json["loop"], true);
}

}  // namespace
}  // namespace tarnwick
