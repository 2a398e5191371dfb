// Settings: typed readings and their cache, set and notification rules, the
// debounced save, Admin.ini, fleet locks, the registry migration and bad groups.

#include <gtest/gtest.h>

#include "core/AdminIni.h"
#include "core/Clock.h"
#include "core/Log.h"
#include "core/RegistryFile.h"
#include "core/Setting.h"
#include "core/SettingValues.h"
#include "core/SettingsRegistry.h"
#include "core/Storage.h"
#include "core/settings/AisSettings.h"
#include "core/settings/AlertsSettings.h"
#include "core/settings/NetworkSettings.h"
#include "core/settings/PubsSettings.h"
#include "core/settings/UnitsSettings.h"
#include "core/settings/VdrSettings.h"
#include "core/tests/support/TestSupport.h"

namespace tarnwick {
namespace {

using testing::CTempFolder;
using testing::ReadFile;
using testing::WriteFile;

CSetting g_flag(SettingKind::Boolean, "TestGroup_Flag", "false");
CSetting g_number(SettingKind::Text, "TestGroup_Number", "7");
CSetting g_nested(SettingKind::Text, "TestGroup_Inner_Leaf", "x");
CSetting g_other(SettingKind::Text, "OtherTest_Value", "a");
CSetting g_ownShipName(SettingKind::Text, "OwnShip_TestName", "Boat");
CSetting g_ownShipBeam(SettingKind::Text, "OwnShip_TestBeamX", "3 m");

class CountingListener : public CSettingListener {
 public:
  void SettingChanged(CSetting& setting) override { changed.push_back(setting.Name()); }
  std::vector<std::string> changed;
};

class CountingOwner : public ISettingOwner {
 public:
  void SettingChanged(CSetting&) override { ++count; }
  int count = 0;
};

class SettingsTest : public ::testing::Test {
 protected:
  void SetUp() override { CSettingsRegistry::Instance().ResetState(); }
  void TearDown() override { CSettingsRegistry::Instance().ResetState(); }

  CTempFolder folder_;
  CSimulatedClock clock_;
  CScopedClock useClock_{clock_};
};

TEST_F(SettingsTest, BooleanReadings) {
  struct Row {
    const char* text;
    bool expected;
  };
  const Row rows[] = {{"1", true},    {"on", true},   {"YES", true}, {"True", true},
                      {"2", true},    {"-1", true},   {"0", false},  {"no", false},
                      {"off", false}, {"", false},    {"false", false}, {"maybe", false}};
  for (const auto& row : rows) {
    g_flag.LoadText(row.text);
    EXPECT_EQ(g_flag.GetBool(), row.expected) << '"' << row.text << '"';
  }
}

TEST_F(SettingsTest, IntegerAndRealReadingsFollowLeadingNumber) {
  g_number.LoadText("12 nm");
  EXPECT_EQ(g_number.GetInt(), 12);
  EXPECT_DOUBLE_EQ(g_number.GetReal(), 12.0);
  g_number.LoadText("0.25 nm");
  EXPECT_EQ(g_number.GetInt(), 0);
  EXPECT_DOUBLE_EQ(g_number.GetReal(), 0.25);
  g_number.LoadText("abc");
  EXPECT_EQ(g_number.GetInt(), 0);
  EXPECT_DOUBLE_EQ(g_number.GetReal(), 0.0);
}

TEST_F(SettingsTest, ChangingTextClearsTheCachedReading) {
  ASSERT_TRUE(g_number.Set("5"));
  EXPECT_EQ(g_number.GetInt(), 5);
  ASSERT_TRUE(g_number.Set("9"));
  EXPECT_EQ(g_number.GetInt(), 9);
  ASSERT_TRUE(g_number.Set("2.5"));
  EXPECT_DOUBLE_EQ(g_number.GetReal(), 2.5);
  EXPECT_EQ(g_number.GetInt(), 2);
}

TEST_F(SettingsTest, SetRealStripsTrailingZeros) {
  struct Row {
    double value;
    const char* text;
  };
  const Row rows[] = {{0.5, "0.5"}, {10.0, "10"}, {2.5, "2.5"}, {3.0, "3"},
                      {-1.25, "-1.25"}, {0.0, "0"}, {1e-7, "0"}};
  for (const auto& row : rows) {
    ASSERT_TRUE(g_number.SetReal(row.value));
    EXPECT_EQ(g_number.Text(), row.text) << row.value;
  }
}

TEST_F(SettingsTest, SetNotifiesOwnerThenListenersOnlyOnChange) {
  CountingListener listener;
  CountingOwner owner;
  g_other.SetOwner(&owner);
  ASSERT_TRUE(g_other.Set("b"));
  ASSERT_TRUE(g_other.Set("b"));
  EXPECT_EQ(owner.count, 1);
  EXPECT_EQ(listener.changed, std::vector<std::string>{"OtherTest_Value"});
  g_other.SetOwner(nullptr);
}

TEST_F(SettingsTest, LookupIgnoresCase) {
  EXPECT_EQ(FindSetting("testgroup_flag"), &g_flag);
  EXPECT_EQ(FindSetting("AIS_DANGERCPA"), &opt::AIS_DangerCPA);
  EXPECT_EQ(FindSetting("NoSuch_Setting"), nullptr);
  EXPECT_EQ(GetSettingText("NoSuch_Setting"), "");
  EXPECT_FALSE(SetSettingText("NoSuch_Setting", "1"));
}

TEST_F(SettingsTest, ToggleAndResetToDefault) {
  ASSERT_TRUE(g_flag.Toggle());
  EXPECT_EQ(g_flag.Text(), "true");
  ASSERT_TRUE(g_flag.Toggle());
  EXPECT_EQ(g_flag.Text(), "false");
  g_number.Set("99");
  g_number.ResetToDefault();
  EXPECT_EQ(g_number.Text(), "7");
}

TEST_F(SettingsTest, ValuePathSplitsAtUnderscoreOrAtDotOnly) {
  EXPECT_EQ(SettingPath("AIS_ShowCPA"), (std::vector<std::string>{"AIS", "ShowCPA"}));
  EXPECT_EQ(SettingPath("Layers_DistanceMarkers_Visible"),
            (std::vector<std::string>{"Layers", "DistanceMarkers", "Visible"}));
  EXPECT_EQ(SettingPath("A_B.C_D"), (std::vector<std::string>{"A_B", "C_D"}));
  EXPECT_EQ(SettingPath("Language"), (std::vector<std::string>{"Language"}));
}

TEST_F(SettingsTest, ChangesWithinASecondCostOneWritePerGroup) {
  CStorage store;
  ASSERT_TRUE(store.Open(folder_ / "storage.db"));
  auto& registry = CSettingsRegistry::Instance();
  registry.Load({&store, {}, nullptr, std::nullopt});

  g_flag.Set("true");
  clock_.Advance(200);
  g_nested.Set("y");
  EXPECT_EQ(registry.SaveModified(TickCount()), 0u);
  clock_.Advance(999);
  EXPECT_EQ(registry.SaveModified(TickCount()), 0u) << "deadline counts from the last change";
  EXPECT_FALSE(store.Get("options", "TestGroup"));
  clock_.Advance(1);
  EXPECT_EQ(registry.SaveModified(TickCount()), 1u);
  auto row = store.Get("options", "TestGroup");
  ASSERT_TRUE(row);
  auto json = nlohmann::json::parse(*row);
  EXPECT_EQ(json["Flag"], "true");
  EXPECT_EQ(json["Inner"]["Leaf"], "y");
  EXPECT_EQ(registry.SaveModified(TickCount() + 5000), 0u);
}

TEST_F(SettingsTest, StoredValuesLoadAndMalformedGroupKeepsDefaults) {
  CStorage store;
  ASSERT_TRUE(store.Open(folder_ / "storage.db"));
  store.Put("options", "TestGroup",
            R"({"Flag":"yes","Inner":{"Leaf":"z"},"Unknown":"1","Number":"seven"})");
  store.Put("options", "OtherTest", R"({"Value": "broken)");
  CLogCapture log;
  CSettingsRegistry::Instance().Load({&store, {}, nullptr, std::nullopt});
  EXPECT_TRUE(g_flag.GetBool());
  EXPECT_EQ(g_nested.Text(), "z");
  EXPECT_EQ(g_other.Text(), "a");
  EXPECT_EQ(g_number.Text(), "7") << "a stored value that is not a number keeps the default";
  EXPECT_FALSE(CSettingsRegistry::Instance().HasPendingSave());
}

TEST_F(SettingsTest, MalformedValuesAreRefusedWithTheReasonAndChangeNothing) {
  struct Row {
    CSetting& setting;
    const char* text;
    bool admitted;
  };
  const Row rows[] = {
      {opt::Units_Distance, "leagues", false},      {opt::Units_Distance, "Statute-Miles", true},
      {opt::AIS_DangerCPA, "0.9 nm", true},         {opt::AIS_DangerCPA, "0.9 leagues", false},
      {opt::AIS_DangerCPA, "", false},              {opt::AIS_DangerTCPA, "soon", false},
      {opt::VDR_KeepFor, "3 months", true},         {opt::VDR_KeepFor, "3 fortnights", false},
      {opt::Network_HttpPort, "8214", true},        {opt::Network_HttpPort, "70000", false},
      {opt::Network_HttpPort, "80.5", false},       {opt::AIS_ShowCPA, "maybe", false},
      {opt::AIS_ShowCPA, "On", true},               {opt::Alerts_WhichVoice, "en-gb", true},
      {g_number, "0x1F", false},                    {g_number, "-2.5e3", true},
  };
  for (const Row& row : rows) {
    const std::string before = row.setting.Text();
    const auto reason = row.setting.Refusal(row.text);
    EXPECT_EQ(!reason, row.admitted) << row.setting.Name() << " " << row.text;
    EXPECT_EQ(row.setting.Set(row.text), row.admitted) << row.setting.Name() << " " << row.text;
    if (reason) {
      EXPECT_EQ(row.setting.Text(), before);
      EXPECT_EQ(reason->rfind(std::string(row.setting.Name()) + ": \"", 0), 0u) << *reason;
    }
  }
}

TEST_F(SettingsTest, AdminIniInstallsValuesWithoutSavingThem) {
  CStorage store;
  ASSERT_TRUE(store.Open(folder_ / "storage.db"));
  WriteFile(folder_ / "Admin.ini",
            "[Other]\r\nAIS.ShowCPA=no\r\n[Default Options]\r\nAIS.ShowCPA=yes\r\n"
            "#TestGroup.Number=1\r\nnot an entry\r\nNo.Such=1\r\nTestGroup.Number = 42 \r\n");
  CountingListener listener;
  CLogCapture log;
  CSettingsRegistry::Instance().Load({&store, {folder_ / "Admin.ini"}, nullptr, std::nullopt});
  EXPECT_EQ(opt::AIS_ShowCPA.Text(), "yes");
  EXPECT_EQ(g_number.Text(), "42");
  EXPECT_EQ(listener.changed.size(), 2u);
  EXPECT_NE(std::find(log.Lines().begin(), log.Lines().end(),
                      "Admin.ini contains unknown option: No_Such"),
            log.Lines().end());
  CSettingsRegistry::Instance().SaveAll();
  EXPECT_FALSE(store.Get("options", "AIS")) << "an Admin.ini value is not written to the store";
}

TEST_F(SettingsTest, AdminIniSectionIsReadWithinItsSizeLimit) {
  std::string ini = "[Default Options]\n";
  for (int i = 0; i < 400; ++i) ini += "Name" + std::to_string(i) + "=value\n";
  WriteFile(folder_ / "Admin.ini", ini);
  auto entries = ReadIniSection(folder_ / "Admin.ini", "default options");
  size_t used = 0;
  for (const auto& e : entries) used += e.name.size() + 1 + e.value.size() + 1;
  EXPECT_LT(used, 4096u);
  EXPECT_EQ(entries.size(), 300u) << "10 entries of 12 bytes, 90 of 13 and 200 of 14 fit";
  EXPECT_EQ(entries.front().name, "Name0");
}

TEST_F(SettingsTest, LockedSettingRefusesChangesAndKeepsItsValueAtStart) {
  CStorage store;
  ASSERT_TRUE(store.Open(folder_ / "storage.db"));
  store.Put("options", "TestGroup", R"({"Number":"100","Flag":"true"})");
  auto fleet = nlohmann::json::parse(R"({"options":{"TestGroup_Number":{"locked":true},
                                                     "TestGroup_Flag":{"locked":false}}})");
  CSettingsRegistry::Instance().Load({&store, {}, nullptr, fleet});
  EXPECT_EQ(g_number.Text(), "7");
  EXPECT_TRUE(g_number.IsLocked());
  EXPECT_FALSE(g_number.Set("8"));
  EXPECT_EQ(g_number.Text(), "7");
  EXPECT_TRUE(g_number.Set("7")) << "setting the same text succeeds even when locked";
  EXPECT_TRUE(g_flag.GetBool());
  EXPECT_TRUE(g_flag.Set("false"));
}

TEST_F(SettingsTest, EmptyStoreMigratesFromRegistryOnce) {
  CStorage store;
  ASSERT_TRUE(store.Open(folder_ / "storage.db"));
  CRegistryFile registry(folder_ / "registry.json");
  ASSERT_TRUE(registry.SetValue("Options/TestGroup", "Number", "55"));
  ASSERT_TRUE(registry.SetValue("Options/TestGroup/Inner", "Leaf", "deep"));
  ASSERT_TRUE(registry.SetValue("Options/Radar", "KodenBroadcast", "true"));
  CSettingsRegistry::Instance().Load({&store, {}, &registry, std::nullopt});
  EXPECT_EQ(g_number.Text(), "55");
  EXPECT_EQ(g_nested.Text(), "deep");
  EXPECT_TRUE(store.Get("options", "TestGroup"));
  EXPECT_TRUE(store.Get("options", "RADAR"));
  EXPECT_FALSE(store.Get("options", "Radar"));

  // Later starts read the store and ignore the registry.
  ASSERT_TRUE(registry.SetValue("Options/TestGroup", "Number", "66"));
  CSettingsRegistry::Instance().ResetState();
  CSettingsRegistry::Instance().Load({&store, {}, &registry, std::nullopt});
  EXPECT_EQ(g_number.Text(), "55");
}

TEST_F(SettingsTest, StoreThatCannotOpenLeavesDefaults) {
  CStorage store;
  CLogCapture log;
  EXPECT_FALSE(store.Open(folder_ / "missing-folder" / "storage.db"));
  ASSERT_FALSE(log.Lines().empty());
  EXPECT_EQ(log.Lines().back().rfind("Storage: Cannot open database! (", 0), 0u);
  CSettingsRegistry::Instance().Load({&store, {}, nullptr, std::nullopt});
  EXPECT_TRUE(g_number.Set("8"));
  clock_.Advance(2000);
  EXPECT_EQ(CSettingsRegistry::Instance().SaveModified(TickCount()), 0u);
  EXPECT_EQ(g_number.Text(), "8");
}

TEST_F(SettingsTest, ResetOwnShipSettingsHonoursTheExceptPrefix) {
  g_ownShipName.Set("Other");
  g_ownShipBeam.Set("9 m");
  ResetOwnShipSettings("OwnShip_TestBeam");
  EXPECT_EQ(g_ownShipName.Text(), "Boat");
  EXPECT_EQ(g_ownShipBeam.Text(), "9 m");
  ResetOwnShipSettings();
  EXPECT_EQ(g_ownShipBeam.Text(), "3 m");
}

TEST_F(SettingsTest, AdminTemplateListsEverySettingWithItsDefault) {
  ASSERT_TRUE(ExportAdminTemplate(folder_ / "Admin.ini"));
  std::string text = ReadFile(folder_ / "Admin.ini");
  EXPECT_EQ(text.rfind("[Default Options]\r\n", 0), 0u);
  EXPECT_NE(text.find("\r\nAIS_DangerCPA=0.25 nm\r\n"), std::string::npos);
  EXPECT_NE(text.find("\r\nAIS_Destination=\r\n"), std::string::npos);
  size_t lines = std::count(text.begin(), text.end(), '\n');
  EXPECT_EQ(lines, AllSettings().size() + 1);
}

TEST(SettingsCatalogue, EveryDeclaredSettingIsRegisteredOnceWithAnAdmissibleDefault) {
  auto all = AllSettings();
  EXPECT_GE(all.size(), 460u);
  for (size_t i = 1; i < all.size(); ++i)
    EXPECT_FALSE(EqualsIgnoreCase(all[i - 1]->Name(), all[i]->Name())) << all[i]->Name();
  for (const CSetting* setting : all) {
    const auto reason = setting->Refusal(setting->DefaultText());
    EXPECT_FALSE(reason) << *reason;
  }
}

TEST(SettingsCatalogue, SettingsThatOtherPartsReadHoldTheKindOfValueTheyParse) {
  struct Row {
    const CSetting& setting;
    SettingKind kind;
    const char* defaultText;
    SettingValueKind value;
  };
  const Row rows[] = {
      {opt::AIS_DangerCPA, SettingKind::Text, "0.25 nm", SettingValueKind::Length},
      {opt::AIS_DangerTCPA, SettingKind::Text, "5 min", SettingValueKind::Duration},
      {opt::AIS_TrackLength, SettingKind::Text, "30 min", SettingValueKind::Duration},
      {opt::Alerts_XTEOverValue, SettingKind::Text, "0.25 NM", SettingValueKind::Length},
      {opt::VDR_KeepFor, SettingKind::Text, "30 days", SettingValueKind::Duration},
      {opt::Pubs_RetrySyncPeriod, SettingKind::Text, "15 m", SettingValueKind::Duration},
      {opt::Network_HttpPort, SettingKind::Text, "0", SettingValueKind::Integer},
      {opt::VDR_DataLog, SettingKind::Text, "", SettingValueKind::FreeText},
      {opt::Units_Distance, SettingKind::Choice, "nautical-miles-and-yards",
       SettingValueKind::FreeText},
      {opt::AIS_ShowVessels, SettingKind::Boolean, "yes", SettingValueKind::FreeText},
      {opt::AIS_DefaultVesselColor, SettingKind::Colour, "S52:RESBL", SettingValueKind::FreeText},
  };
  for (const Row& row : rows) {
    EXPECT_EQ(row.setting.Kind(), row.kind) << row.setting.Name();
    EXPECT_STREQ(row.setting.DefaultText(), row.defaultText) << row.setting.Name();
    EXPECT_EQ(ValueKindOf(row.setting), row.value) << row.setting.Name();
  }
}

}  // namespace
}  // namespace tarnwick
