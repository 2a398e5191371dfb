// The portrayal of crafted features with the real presentation library:
// depth shades, the safety contour, soundings, isolated dangers, wrecks and
// obstructions, lights, topmarks, restricted areas, shoreline constructions,
// texts, the display settings with the standard display, date dependency,
// the cache and its invalidation, and the commands' JSON.

#include <gtest/gtest.h>

#include "charts/s52/S52MarinerSettings.h"
#include "charts/s52/S52Portrayal.h"
#include "charts/s52/S52TextFormat.h"
#include "charts/tests/S52CraftedFeatures.h"
#include "core/Setting.h"
#include "core/SettingsRegistry.h"
#include "core/settings/S52Settings.h"

namespace tarnwick {
namespace {

using testing::CCraftedSource;
using testing::S52Ring;
using testing::Square;

class S52PortrayalTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    library_ = new CS52Library;
    std::string error;
    ASSERT_TRUE(library_->LoadArchive(TW_S52_ARCHIVE, error)) << error;
  }
  static void TearDownTestSuite() { delete library_; }
  void TearDown() override {
    for (CSetting* setting : AllSettings())
      if (StartsWithIgnoreCase(setting->Name(), "S52_")) setting->ResetToDefault();
    CSettingsRegistry::Instance().ResetState();
  }

  S52PortrayedFeature Portray(const IS52Feature& feature, int today = 20240715) const {
    return CS52Portrayal(*library_).PortrayWith(feature, source_, settings_, today);
  }
  // The commands as "OP NAME" words, e.g. "AC DEPMS AP DIAMOND1".
  std::string Ops(const IS52Feature& feature) const { return Ops(feature, source_); }
  std::string Ops(const IS52Feature& feature, const IS52FeatureSource& source) const {
    std::string text;
    for (const auto& c : CS52Portrayal(*library_).PortrayWith(feature, source, settings_, 20240715).commands) {
      if (!text.empty()) text += ' ';
      text += std::string(S52OpName(c.op)) + " " + c.name;
    }
    return text;
  }

  static CS52Library* library_;
  S52MarinerSettings settings_;
  CCraftedSource source_;
};
CS52Library* S52PortrayalTest::library_ = nullptr;

TEST_F(S52PortrayalTest, DepthAreaShades) {
  struct Row {
    const char* drval1;
    const char* drval2;
    bool fourShades;
    bool pattern;
    const char* ops;
  };
  const Row rows[] = {
      {"5", "10", true, false, "AC DEPMS"},  // DRVAL2 equal to the safety contour is shallower
      {"10", "20", true, false, "AC DEPMD"},
      {"30", "50", true, false, "AC DEPDW"},
      {"20", "30", true, false, "AC DEPMD"},  // and equal to the deep contour likewise
      {"0", "2", true, false, "AC DEPVS"},
      {"-2", "0", true, false, "AC DEPIT"},
      {"", "", true, false, "AC NODTA AP PRTSUR01 LS CHGRD"},  // depths unknown: the table's own row
      {"5", "10", false, false, "AC DEPVS"},
      {"10", "20", false, false, "AC DEPDW"},
      {"5", "10", true, true, "AC DEPMS AP DIAMOND1"},
      {"10", "20", true, true, "AC DEPMD"},
  };
  for (const Row& row : rows) {
    settings_.fourShades = row.fourShades;
    settings_.shallowPattern = row.pattern;
    std::map<std::string, std::string> attributes;
    if (*row.drval1) attributes = {{"DRVAL1", row.drval1}, {"DRVAL2", row.drval2}};
    CCraftedSource alone;  // no neighbours, so no safety contour edges
    const auto& area = alone.Area("DEPARE", Square(0, 0, 100, 100), attributes);
    EXPECT_EQ(Ops(area, alone), row.ops) << row.drval1 << ".." << row.drval2 << " four " << row.fourShades;
  }
  const auto& dredged = source_.Area("DRGARE", Square(0, 0, 10, 10), {{"DRVAL1", "12"}, {"RESTRN", "7"}});
  EXPECT_EQ(Ops(dredged), "AC DEPMD AP DRGARE01 LS CHGRF SY ENTRES51");
}

TEST_F(S52PortrayalTest, SafetyContour) {
  // Depth areas on both sides of x = 100: 5..20 m west, 20..30 m east.
  source_.Area("DEPARE", Square(0, 0, 100, 100), {{"DRVAL1", "5"}, {"DRVAL2", "20"}});
  const auto& deep = source_.Area("DEPARE", Square(100, 0, 200, 100), {{"DRVAL1", "20"}, {"DRVAL2", "30"}});
  const S52Ring border{{100, 0}, {100, 50}, {100, 100}};
  struct Row {
    const char* valdco;
    bool highlight;
    const char* ops;
  };
  const Row rows[] = {
      {"10", true, "LS DEPSC"},   // the chosen depth itself
      {"5", true, "LS DEPCN"},    // shallower
      {"20", true, "LS DEPSC"},   // the first deeper contour: shallower water on one side
      {"30", true, "LS DEPCN"},   // deeper still: both sides at least the safety contour
      {"10", false, "LS DEPCN"},
  };
  settings_.showContourLabels = false;
  for (const Row& row : rows) {
    settings_.highlightSafetyContour = row.highlight;
    const S52Ring line = std::string(row.valdco) == "30" ? S52Ring{{200, 0}, {200, 50}, {200, 100}} : border;
    const auto& contour = source_.Line("DEPCNT", line, {{"VALDCO", row.valdco}});
    const S52PortrayedFeature p = Portray(contour);
    EXPECT_EQ(Ops(contour), row.ops) << row.valdco;
    EXPECT_EQ(p.shown, true);
  }
  settings_.highlightSafetyContour = true;
  settings_.showDepthContours = false;
  settings_.showDryingLine = false;
  EXPECT_TRUE(Portray(source_.Line("DEPCNT", border, {{"VALDCO", "20"}})).shown) << "the safety contour stays";
  EXPECT_FALSE(Portray(source_.Line("DEPCNT", border, {{"VALDCO", "5"}})).shown);
  settings_.showDryingLine = true;
  EXPECT_TRUE(Portray(source_.Line("DEPCNT", border, {{"VALDCO", "0"}})).shown) << "the drying line";
  EXPECT_FALSE(Portray(source_.Line("DEPCNT", border, {{"VALDCO", "5"}})).shown);

  // A low-accuracy part is dashed; labels come as SAFCON digits.
  settings_.showContourLabels = true;
  auto& doubtful = source_.Add("DEPCNT", S52Primitive::Line, {{"VALDCO", "5.5"}}, {border, {{0, 0}, {1, 1}}});
  doubtful.Quapos({4, 1});
  const S52PortrayedFeature p = Portray(doubtful);
  ASSERT_EQ(p.commands.size(), 4u);
  EXPECT_EQ(p.commands[0].style, S52LineStyle::Solid);
  EXPECT_EQ(p.commands[0].runs, (std::vector<S52VertexRun>{{1, 0, 1}}));
  EXPECT_EQ(p.commands[1].style, S52LineStyle::Dashed);
  EXPECT_EQ(p.commands[1].runs, (std::vector<S52VertexRun>{{0, 0, 2}}));
  EXPECT_EQ(p.commands[2].name + " " + p.commands[3].name, "SAFCON05 SAFCON65");

  // The safe area draws the safety contour along the edge it shares with the shallower one.
  const S52PortrayedFeature safe = Portray(deep);
  ASSERT_FALSE(safe.commands.empty());
  EXPECT_EQ(safe.commands.back().name, "DEPSC");
  EXPECT_EQ(safe.commands.back().runs, (std::vector<S52VertexRun>{{0, 3, 4}})) << "edge (100,100)-(100,0)";
  settings_.safetyContour = 25;
  EXPECT_EQ(Ops(deep), "AC DEPMS") << "an unsafe area draws no safety contour";
}

TEST_F(S52PortrayalTest, Soundings) {
  struct Row {
    double depth;
    int quapos;
    const char* symbols;
  };
  const Row rows[] = {
      {4.3, 0, "SOUNDS14 SOUNDS53"},          {10, 0, "SOUNDS11 SOUNDS00"},
      {12, 0, "SOUNDG11 SOUNDG02"},           {25.7, 0, "SOUNDG22 SOUNDG15 SOUNDG57"},
      {35.7, 0, "SOUNDG13 SOUNDG05"},         {-1.2, 0, "SOUNDSA1 SOUNDS11 SOUNDS52"},
      {123, 0, "SOUNDG21 SOUNDG12 SOUNDG03"}, {4.3, 4, "SOUNDSC2 SOUNDS14 SOUNDS53"},
      {2345, 0, "SOUNDG22 SOUNDG13 SOUNDG04 SOUNDG45"},
  };
  for (const Row& row : rows) {
    auto& sounding = source_.Add("SOUNDG", S52Primitive::Point, {}, {{{0, 0}}});
    sounding.Depths({{row.depth}}).Quapos({row.quapos});
    std::string symbols;
    for (const auto& c : Portray(sounding).commands) symbols += (symbols.empty() ? "" : " ") + c.name;
    EXPECT_EQ(symbols, row.symbols) << row.depth;
  }
  auto& swept = source_.Add("SOUNDG", S52Primitive::Point, {{"TECSOU", "6"}}, {{{0, 0}, {5, 5}}, {{9, 9}}});
  swept.Depths({{3, 40}, {7}});
  const auto commands = Portray(swept).commands;
  ASSERT_EQ(commands.size(), 7u);
  EXPECT_EQ(commands[0].name, "SOUNDSB1");
  EXPECT_EQ(commands[2].name, "SOUNDGB1");
  EXPECT_EQ(commands[2].vertex, 1);
  EXPECT_EQ(commands[6].vertex, 2) << "vertices count on across parts";
  settings_.dimSafeSoundings = false;
  EXPECT_EQ(Ops(swept).find("SOUNDG"), std::string::npos) << "every sounding in the dominant colour";
}

TEST_F(S52PortrayalTest, IsolatedDangersAndObstructions) {
  source_.Area("DEPARE", Square(0, 0, 100, 100), {{"DRVAL1", "20"}, {"DRVAL2", "30"}});
  source_.Area("DEPARE", Square(100, 0, 200, 100), {{"DRVAL1", "2"}, {"DRVAL2", "5"}});
  struct Row {
    const char* acronym;
    double x;
    std::map<std::string, std::string> attributes;
    const char* ops;
    int priority;
    S52Category category;
    int group;
  };
  const Row rows[] = {
      {"OBSTRN", 50, {{"VALSOU", "5"}}, "SY ISODGR01", 80, S52Category::DisplayBase, 14010},
      {"OBSTRN", 150, {{"VALSOU", "4"}}, "SY DANGER01 SY SOUNDS14", 40, S52Category::Other, 34050},
      {"OBSTRN", 50, {{"VALSOU", "15"}}, "SY DANGER01 SY SOUNDG11 SY SOUNDG05", 40, S52Category::Other, 34050},
      {"OBSTRN", 50, {{"VALSOU", "25"}}, "SY DANGER02 SY SOUNDG12 SY SOUNDG05", 40, S52Category::Other, 34050},
      {"OBSTRN", 50, {{"WATLEV", "1"}}, "SY OBSTRN11", 80, S52Category::DisplayBase, 14050},
      {"OBSTRN", 150, {{"WATLEV", "4"}}, "SY OBSTRN03", 40, S52Category::Other, 34050},
      {"UWTROC", 50, {{"WATLEV", "3"}}, "SY UWTROC03", 40, S52Category::Other, 34050},  // 20 m under: safe
      {"UWTROC", 150, {{"WATLEV", "5"}}, "SY UWTROC04", 40, S52Category::Other, 34050},
      {"UWTROC", 50, {{"VALSOU", "1.5"}, {"WATLEV", "3"}}, "SY ISODGR01", 80, S52Category::DisplayBase, 14010},
  };
  for (const Row& row : rows) {
    const auto& danger = source_.Point(row.acronym, row.x, 50, row.attributes);
    const S52PortrayedFeature p = Portray(danger);
    EXPECT_EQ(Ops(danger), row.ops) << row.acronym << " at " << row.x << " " << row.attributes.begin()->second;
    EXPECT_EQ(p.priority, row.priority) << row.ops;
    EXPECT_EQ(p.category, row.category) << row.ops;
    EXPECT_EQ(p.viewingGroup, row.group) << row.ops;
  }
  // Dangers in shallow water, when asked for.
  settings_.showShallowWaterDangers = true;
  const S52PortrayedFeature shallow = Portray(source_.Point("OBSTRN", 150, 50, {{"VALSOU", "1"}}));
  EXPECT_EQ(shallow.commands.front().name, "ISODGR01");
  EXPECT_EQ(shallow.viewingGroup, 24050);
  // Isolated dangers switched off fall back to their own symbols and category.
  settings_.showIsolatedDangers = false;
  EXPECT_EQ(Ops(source_.Point("OBSTRN", 50, 50, {{"VALSOU", "5"}})), "SY DANGER01 SY SOUNDS15");
  // An obstruction area in safe water.
  settings_.showIsolatedDangers = true;
  settings_.showShallowWaterDangers = false;
  EXPECT_EQ(Ops(source_.Area("OBSTRN", Square(40, 40, 60, 60), {{"VALSOU", "3"}})),
            "AC DEPVS AP FOULAR01 LS CHBLK SY ISODGR01");
  EXPECT_EQ(Ops(source_.Area("OBSTRN", Square(140, 40, 160, 60), {{"WATLEV", "4"}})), "AC DEPIT LS CSTLN");
}

TEST_F(S52PortrayalTest, Wrecks) {
  source_.Area("DEPARE", Square(0, 0, 100, 100), {{"DRVAL1", "30"}, {"DRVAL2", "50"}});
  struct Row {
    double x;
    std::map<std::string, std::string> attributes;
    const char* ops;
  };
  const Row rows[] = {
      {50, {{"CATWRK", "1"}, {"WATLEV", "3"}}, "SY WRECKS04"},  // under 30 m of water
      {500, {{"CATWRK", "2"}, {"WATLEV", "3"}}, "SY WRECKS05"},
      {500, {{"CATWRK", "4"}}, "SY WRECKS01"},
      {50, {{"VALSOU", "8"}}, "SY ISODGR01"},
      {500, {{"VALSOU", "8"}}, "SY DANGER01 SY SOUNDS18"},
      {500, {{"VALSOU", "24"}}, "SY DANGER02 SY SOUNDG12 SY SOUNDG04"},
  };
  for (const Row& row : rows) {
    const auto& wreck = source_.Point("WRECKS", row.x, 50, row.attributes);
    EXPECT_EQ(Ops(wreck), row.ops) << row.x << " " << row.attributes.begin()->first;
  }
  auto& doubtful = source_.Point("WRECKS", 500, 50, {{"CATWRK", "2"}, {"WATLEV", "3"}});
  doubtful.Quapos({4});
  EXPECT_EQ(Ops(doubtful), "SY WRECKS05 SY LOWACC01");
}

TEST_F(S52PortrayalTest, Lights) {
  struct Row {
    std::map<std::string, std::string> attributes;
    const char* ops;
  };
  const Row rows[] = {
      {{{"COLOUR", "3"}}, "SY LIGHTS11"},
      {{{"COLOUR", "1,4"}}, "SY LIGHTS12"},
      {{{"COLOUR", "6"}}, "SY LIGHTS13"},
      {{}, "SY LITDEF11"},  // no colour: magenta
      {{{"CATLIT", "8"}}, "SY LIGHTS82"},
      {{{"CATLIT", "9"}}, "SY LIGHTS81"},
      {{{"CATLIT", "1"}}, "SY QUESMRK1"},  // directional without its orientation
      {{{"CATLIT", "1"}, {"ORIENT", "270"}, {"COLOUR", "1"}}, "LEG CHBLK SY LIGHTS13"},
      {{{"SECTR1", "180"}, {"SECTR2", "270"}, {"COLOUR", "4"}}, "ARC LITGN LEG CHBLK LEG CHBLK"},
      {{{"SECTR1", "10"}, {"SECTR2", "10"}, {"COLOUR", "1"}}, "SY LIGHTS13"},  // a full circle
  };
  for (const Row& row : rows) {
    const auto& light = source_.Point("LIGHTS", 1000.0 * (&row - rows), 0, row.attributes);
    EXPECT_EQ(Ops(light), row.ops) << (row.attributes.empty() ? "" : row.attributes.begin()->second);
  }
  const auto& sector = source_.Point("LIGHTS", 0, 500, {{"SECTR1", "180"}, {"SECTR2", "270"}, {"COLOUR", "4"},
                                                        {"VALNMR", "10"}});
  S52PortrayedFeature p = Portray(sector);
  EXPECT_EQ(p.commands[0].bearing, 0);
  EXPECT_EQ(p.commands[0].bearingTo, 90);
  EXPECT_EQ(p.commands[0].length, 20);
  EXPECT_EQ(p.commands[0].outline, "OUTLW");
  EXPECT_EQ(p.commands[2].bearing, 90);
  EXPECT_EQ(p.commands[2].length, 25);
  EXPECT_FALSE(p.commands[2].chartMetres);
  settings_.showFullLightSectors = true;
  p = Portray(sector);
  EXPECT_EQ(p.commands[1].length, 18520) << "the nominal range on the chart";
  EXPECT_TRUE(p.commands[1].chartMetres);
  // A second sector at the same position overlapping this one moves the arcs out.
  source_.Point("LIGHTS", 0, 500, {{"SECTR1", "260"}, {"SECTR2", "300"}, {"COLOUR", "3"}});
  EXPECT_EQ(Portray(sector).commands[0].length, 25);
  // Obscured sectors are dashed black.
  p = Portray(source_.Point("LIGHTS", 0, 900, {{"SECTR1", "0"}, {"SECTR2", "90"}, {"LITVIS", "7"}}));
  EXPECT_EQ(p.commands[0].name, "CHBLK");
  EXPECT_EQ(p.commands[0].style, S52LineStyle::Dashed);
  // Two all-round lights at one position: the coloured flare turns to 45°.
  const auto& red = source_.Point("LIGHTS", 0, 2000, {{"COLOUR", "3"}, {"LITCHR", "2"}, {"SIGGRP", "(2)"},
                                                      {"SIGPER", "6"}, {"HEIGHT", "12"}, {"VALNMR", "15"}});
  const auto& white = source_.Point("LIGHTS", 0, 2000, {{"COLOUR", "1"}});
  EXPECT_EQ(Portray(red).commands[0].rotation, 45);
  EXPECT_EQ(Portray(white).commands[0].rotation, 135);
  settings_.showLightDescriptions = true;
  p = Portray(red);
  ASSERT_EQ(p.commands.size(), 2u);
  EXPECT_EQ(p.commands[1].text.text, "Fl(2)R.6s12m15M");
  EXPECT_EQ(p.commands[1].text.group, 23);
}

TEST(S52Text, FormatsAndDescriptions) {
  struct Row {
    const char* format;
    std::vector<std::string_view> values;
    std::optional<std::string> text;
  };
  const Row rows[] = {
      {"clr %4.1lf", {"12.345"}, "clr 12.3"},
      {"%03.0lf deg", {"5"}, "005 deg"},
      {"Nr %s", {"7A"}, "Nr 7A"},
      {"%s %s", {"a", "b"}, "a b"},
      {"100%%", {}, "100%"},
      {"%d m", {"x"}, std::nullopt},
      {"%s %s", {"a"}, std::nullopt},
      {"%n", {"1"}, std::nullopt},
  };
  for (const Row& row : rows) EXPECT_EQ(FormatS52Text(row.format, row.values), row.text) << row.format;

  EXPECT_EQ(FormatS52LightDescription("2", "(2)", "3", "6", "12", "15", ""), "Fl(2)R.6s12m15M");
  EXPECT_EQ(FormatS52LightDescription("7", "", "1,3,4", "4", "", "", ""), "Iso.WRG.4s");
  EXPECT_EQ(FormatS52LightDescription("1", "()", "3", "", "", "", ""), "F.R");
  EXPECT_EQ(FormatS52LightDescription("8", "(2+1)", "1", "10", "", "18", "1"), "Dir.Oc(2+1)W.10s18M");
  EXPECT_EQ(ShortenS52Name("Point Reyes Light, Harbour Entrance"), "Pt Reyes Lt, Hbr Ent");
  EXPECT_EQ(FormatS52SeabedText("4,1", "1"), "fS.M");
  EXPECT_EQ(FormatS52SeabedText("9,99,14", ""), "R.Co");
}

TEST_F(S52PortrayalTest, MarksAreasAndConstructions) {
  source_.Point("BOYLAT", 0, 0);
  source_.Point("BCNLAT", 100, 0);
  struct Row {
    const IS52Feature* feature;
    const char* ops;
  };
  const Row rows[] = {
      {&source_.Point("TOPMAR", 0, 0, {{"TOPSHP", "1"}}), "SY TOPMAR02"},
      {&source_.Point("TOPMAR", 100, 0, {{"TOPSHP", "1"}}), "SY TOPMAR22"},
      {&source_.Point("TOPMAR", 100, 0, {{"TOPSHP", "99"}}), "SY TMARDEF1"},
      {&source_.Point("TOPMAR", 100, 0), "SY QUESMRK1"},
      {&source_.Area("RESARE", Square(0, 0, 9, 9), {{"RESTRN", "7"}}), "SY ENTRES51 LS CHMGD"},
      {&source_.Area("RESARE", Square(0, 0, 9, 9), {{"RESTRN", "7,1"}}), "SY ENTRES61 LS CHMGD"},
      {&source_.Area("RESARE", Square(0, 0, 9, 9), {{"RESTRN", "1"}, {"CATREA", "4"}}), "SY ACHRES71 LS CHMGD"},
      {&source_.Area("RESARE", Square(0, 0, 9, 9), {{"RESTRN", "3"}}), "SY FSHRES51 LS CHMGD"},
      {&source_.Area("RESARE", Square(0, 0, 9, 9), {{"CATREA", "9"}}), "SY CTYARE51 LS CHMGD"},
      {&source_.Area("RESARE", Square(0, 0, 9, 9)), "SY RSRDEF51 LS CHMGD"},
      {&source_.Area("ACHARE", Square(0, 0, 9, 9), {{"RESTRN", "8"}}), "SY ACHARE51 LS CHMGF SY ENTRES51"},
      {&source_.Line("SLCONS", {{0, 0}, {9, 9}}, {{"CONDTN", "1"}}), "LS CSTLN"},
      {&source_.Line("SLCONS", {{0, 0}, {9, 9}}, {{"CATSLC", "6"}}), "LS CSTLN"},
      {&source_.Area("NEWOBJ", Square(0, 0, 9, 9)), "SY NEWOBJ01 LS CHMGD"},
      {&source_.Area("NEWOBJ", Square(0, 0, 9, 9), {{"SYMINS", "AC(CHGRD);CS(SYMINS02)"}}), "AC CHGRD"},
  };
  settings_.symbolizedBoundaries = false;
  for (const Row& row : rows) EXPECT_EQ(Ops(*row.feature), row.ops) << row.feature->Acronym();
  const S52PortrayedFeature wharf = Portray(source_.Line("SLCONS", {{0, 0}, {9, 9}}, {{"CATSLC", "6"}}));
  EXPECT_EQ(wharf.commands[0].width, 4);
  auto& rough = source_.Line("SLCONS", {{0, 0}, {9, 9}});
  rough.Quapos({5});
  EXPECT_EQ(Ops(rough), "LC LOWACC21");
  settings_.symbolizedBoundaries = true;
  EXPECT_EQ(Ops(source_.Area("RESARE", Square(0, 0, 9, 9), {{"RESTRN", "7"}})), "SY ENTRES51 LC ENTRES51");
}

TEST_F(S52PortrayalTest, TextsAndNames) {
  const auto& land = source_.Area("LNDARE", Square(0, 0, 9, 9), {{"OBJNAM", "Saint Island"}});
  S52PortrayedFeature p = Portray(land);
  ASSERT_EQ(p.commands.size(), 2u);
  EXPECT_EQ(p.commands[1].text.text, "St I");
  EXPECT_EQ(p.commands[1].text.group, 26);
  EXPECT_EQ(p.commands[1].name, "CHBLK");
  EXPECT_EQ(p.commands[1].text.dx, -1);
  EXPECT_EQ(p.commands[1].text.hjust, 1);
  EXPECT_EQ(p.commands[1].text.spacing, 3);
  settings_.shortenNames = false;
  EXPECT_EQ(Portray(land).commands[1].text.text, "Saint Island");
  settings_.showNames = false;
  EXPECT_EQ(Ops(land), "AC LANDA");
  const std::pair<int, bool> groups[] = {{11, true}, {21, false}, {23, false}, {24, false}, {55, true}};
  for (const auto& [group, shown] : groups) EXPECT_EQ(S52TextGroupShown(group, settings_), shown) << group;
  settings_.showOtherText = true;
  EXPECT_TRUE(S52TextGroupShown(24, settings_));
  const S52PortrayedFeature bridge =
      Portray(source_.Line("BRIDGE", {{0, 0}, {9, 9}}, {{"VERCLR", "12.34"}, {"OBJNAM", "x"}}));
  ASSERT_EQ(bridge.commands.size(), 2u) << "names are off, the clearance is important text";
  EXPECT_EQ(bridge.commands[1].text.text, "clr 12.3");
  EXPECT_EQ(bridge.commands[1].name, "CHBLK");
  EXPECT_EQ(bridge.commands[1].text.group, 11);
  EXPECT_EQ(bridge.commands[1].text.dy, 1);
}

TEST_F(S52PortrayalTest, DisplayGroupsDatesAndUnknownObjects) {
  const auto& cable = source_.Line("CBLSUB", {{0, 0}, {9, 9}});
  EXPECT_TRUE(Portray(cable).shown);
  settings_.showCablesAndPipes = false;
  EXPECT_FALSE(Portray(cable).shown);
  const auto& buoy = source_.Point("BOYLAT", 0, 0, {{"BOYSHP", "2"}});
  settings_.showNavAids = false;
  EXPECT_FALSE(Portray(buoy).shown);
  const auto& land = source_.Area("LNDARE", Square(0, 0, 9, 9));
  settings_.showOtherMiscellaneous = settings_.showStandardMiscellaneous = false;
  EXPECT_TRUE(Portray(land).shown) << "the display base cannot be switched off";

  const auto& unknown = source_.Point("XXXXXX", 0, 0);
  S52PortrayedFeature p = Portray(unknown);
  EXPECT_TRUE(p.unknownObject);
  EXPECT_EQ(Ops(unknown), "SY QUESMRK1");
  EXPECT_FALSE(p.shown);
  settings_.showUnknownObjects = true;
  EXPECT_TRUE(Portray(unknown).shown);

  settings_ = {};
  struct Row {
    std::map<std::string, std::string> dates;
    int today;
    bool shown;
  };
  const Row rows[] = {
      {{{"DATEND", "20200101"}}, 20240715, false},
      {{{"DATSTA", "20200101"}, {"DATEND", "20301231"}}, 20240715, true},
      {{{"PERSTA", "--0601"}, {"PEREND", "--0831"}}, 20240715, true},
      {{{"PERSTA", "--0601"}, {"PEREND", "--0831"}}, 20240115, false},
      {{{"PERSTA", "--1101"}, {"PEREND", "--0228"}}, 20240115, true},  // over the new year
  };
  for (const Row& row : rows) {
    const auto& seasonal = source_.Point("BOYSPP", 0, 0, row.dates);
    const S52PortrayedFeature d = CS52Portrayal(*library_).PortrayWith(seasonal, source_, settings_, row.today);
    EXPECT_EQ(d.shown, row.shown) << row.dates.begin()->second << " on " << row.today;
    EXPECT_EQ(d.commands.back().name, "CHDATD01");
  }
  settings_.useDateDependent = false;
  EXPECT_TRUE(Portray(source_.Point("BOYSPP", 0, 0, {{"DATEND", "20200101"}})).shown);
  settings_.highlightInfo = true;
  EXPECT_EQ(Portray(source_.Point("BOYSPP", 0, 0, {{"INFORM", "see notes"}})).commands.back().name, "INFORM01");
}

TEST_F(S52PortrayalTest, MarinerObjectsAndInlandCells) {
  const auto& ship = source_.Point("ownshp", 0, 0, {{"headng", "90"}, {"shplen", "30"}, {"cogcrs", "95"},
                                                    {"sogspd", "10"}, {"vecper", "6"}});
  const S52PortrayedFeature p = Portray(ship);
  EXPECT_EQ(Ops(ship), "SY OWNSHP05 LEG SHIPS LEG SHIPS");
  EXPECT_EQ(p.commands[0].rotation, 90);
  EXPECT_EQ(p.commands[2].bearing, 95);
  EXPECT_DOUBLE_EQ(p.commands[2].length, 1852) << "10 kn for 6 minutes";
  EXPECT_EQ(p.category, S52Category::MarinersStandard);
  EXPECT_EQ(Ops(source_.Line("leglin", {{0, 0}, {0, 100}}, {{"plnspd", "7.5"}})), "LS PLRTE TX NINFO TX NINFO");

  CCraftedSource inland(true);
  const auto& notice = inland.Point("notmrk", 0, 0, {{"fnctnm", "5"}, {"ORIENT", "45"}});
  const S52PortrayedFeature n = CS52Portrayal(*library_).PortrayWith(notice, inland, settings_, 20240715);
  EXPECT_EQ(n.table, "IENC_PAPER_CHART");
  ASSERT_EQ(n.commands.size(), 1u);
  EXPECT_EQ(n.commands[0].name, "NOTMRK03");
  EXPECT_TRUE(n.commands[0].trueBearing);
  const auto& depth = inland.Area("depare", Square(0, 0, 9, 9), {{"DRVAL1", "3"}, {"DRVAL2", "5"}});
  EXPECT_EQ(CS52Portrayal(*library_).PortrayWith(depth, inland, settings_, 20240715).commands[0].name, "DEPVS");
}

TEST_F(S52PortrayalTest, SettingsStandardDisplayAndCache) {
  ASSERT_TRUE(opt::S52_SafetyContourDepth.Set("8 m"));
  ASSERT_TRUE(opt::S52_ShowContourLabels.SetBool(true));
  ASSERT_TRUE(SetS52StandardDisplay());
  const S52MarinerSettings s = ReadS52MarinerSettings();
  EXPECT_FALSE(s.showContourLabels);
  EXPECT_FALSE(s.showSpotSoundings);
  EXPECT_TRUE(s.highlightSafetyContour);
  EXPECT_TRUE(s.showNavAidLights);
  EXPECT_DOUBLE_EQ(s.safetyContour, 8) << "the contour depths keep their values";

  const std::pair<const char*, std::optional<double>> depths[] = {
      {"10 m", 10}, {"5 fm", 9.144}, {"33 ft", 10.0584}, {"12", 12}, {"deep", std::nullopt}, {"-3 m", std::nullopt}};
  for (const auto& [text, metres] : depths) {
    const auto parsed = ParseS52Depth(text);
    ASSERT_EQ(parsed.has_value(), metres.has_value()) << text;
    if (metres) {
      EXPECT_NEAR(*parsed, *metres, 1e-9) << text;
    }
  }
  EXPECT_EQ(S52SchemeOfColorMode("Night"), S52Scheme::Night);
  EXPECT_EQ(S52SchemeOfColorMode(""), S52Scheme::Day);

  CS52Portrayal portrayal(*library_);
  const auto& area = source_.Area("DEPARE", Square(0, 0, 9, 9), {{"DRVAL1", "8"}, {"DRVAL2", "12"}});
  const auto first = portrayal.Portray(area, source_);
  EXPECT_EQ(first->commands[0].name, "DEPMD");
  EXPECT_EQ(portrayal.Portray(area, source_), first) << "cached";
  ASSERT_TRUE(opt::S52_SafetyContourDepth.Set("10 m"));
  const auto second = portrayal.Portray(area, source_);
  EXPECT_NE(second, first) << "a setting change empties the cache";
  EXPECT_EQ(second->commands[0].name, "DEPMS");
  ASSERT_TRUE(opt::S52_Boundaries.Set("symbolized"));
  EXPECT_EQ(portrayal.Portray(area, source_)->table, "SYMBOLIZED_BOUNDARIES");
}

TEST(S52DrawCommand, Json) {
  S52DrawCommand command;
  command.op = S52Op::SimpleLine;
  command.name = "DEPSC";
  command.width = 2;
  command.runs = {{0, 3, 4}};
  std::string json;
  AppendS52CommandJson(json, command);
  EXPECT_EQ(json, R"({"op":"LS","style":"SOLD","width":2,"colour":"DEPSC","runs":[[0,3,4]]})");
  command = {};
  command.op = S52Op::Symbol;
  command.name = "SOUNDS12";
  command.vertex = 3;
  json.clear();
  AppendS52CommandJson(json, command);
  EXPECT_EQ(json, R"({"op":"SY","symbol":"SOUNDS12","rotation":0.0,"vertex":3})");
}

}  // namespace
}  // namespace tarnwick
