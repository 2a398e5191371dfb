// The look-ahead for dangers on crafted tracks over the NOAA cell US5HA57M
// (Kaneohe Bay, Oahu): a ship heading for the reef and the shore is warned
// at least the look-ahead time before it reaches water shallower than the
// safety depth; a ship in the deep water of the bay's approaches never is.
// And the danger rules themselves, over crafted features.

#include "charts/lookahead/ObstacleLookAhead.h"
#include "charts/lookahead/ObstacleAlarm.h"

#include <gtest/gtest.h>

#include <cmath>

#include "charts/s57/S57Catalogue.h"
#include "charts/s57/S57Chart.h"
#include "charts/s57/SencWriter.h"
#include "core/geo/Geodesy.h"
#include "core/tests/support/TestSupport.h"

namespace tarnwick {
namespace {

const std::filesystem::path kCell =
    testing::TestDataFolder() / "s57/noaa_US5HA57M_exchange_set/US5HA57M/US5HA57M.000";

class LookAheadOnKaneohe : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    folder_ = new testing::CTempFolder();
    ChartLibraryOptions options;
    options.catalogue = *folder_ / "charts.db";
    options.sencFolder = *folder_ / "senc";
    options.watch = false;
    std::string error;
    library_ = new std::shared_ptr<CChartLibrary>(CChartLibrary::Open(options, error));
    (*library_)->Start();
    (*library_)->AddSource(kCell);
    (*library_)->WaitIdle(120000);
  }
  static void TearDownTestSuite() {
    delete library_;
    delete folder_;
  }

  struct Voyage {
    std::optional<double> firstAlarmSeconds;
    std::optional<double> groundingSeconds;  // in water shallower than the safety depth
    std::optional<LookAheadDanger> firstDanger;
  };

  // Sails from start on course at speed for duration, a look every step.
  static Voyage Sail(LatLon start, double course, double knots, double duration,
                     double lookAhead = 120, double step = 5) {
    Voyage voyage;
    for (double t = 0; t <= duration; t += step) {
      const LatLon here = DestinationPoint(start, knots * t / 3600.0, course);
      LookAheadInput input{here, course, knots, lookAhead, 50, 10};
      const LookAheadResult result = LookAhead(**library_, input);
      EXPECT_TRUE(result.swept);
      EXPECT_EQ(result.chartsTested, 1u);
      if (result.danger && !voyage.firstAlarmSeconds) {
        voyage.firstAlarmSeconds = t;
        voyage.firstDanger = result.danger;
      }
      const auto depth = ChartedDepthAt(**library_, here);
      if (depth && *depth < 10 && !voyage.groundingSeconds) voyage.groundingSeconds = t;
    }
    return voyage;
  }

  static testing::CTempFolder* folder_;
  static std::shared_ptr<CChartLibrary>* library_;
};

testing::CTempFolder* LookAheadOnKaneohe::folder_ = nullptr;
std::shared_ptr<CChartLibrary>* LookAheadOnKaneohe::library_ = nullptr;

TEST_F(LookAheadOnKaneohe, TracksTowardsTheReefAreWarnedInTime) {
  // From the deep water of the bay's approaches towards the reef and the shore.
  for (const double course : {200.0, 240.0}) {
    const double lookAhead = 120, step = 5;
    const Voyage v = Sail({21.50, -157.77}, course, 8, 1200, lookAhead, step);
    ASSERT_TRUE(v.groundingSeconds) << course;
    ASSERT_TRUE(v.firstAlarmSeconds) << course;
    EXPECT_LE(*v.firstAlarmSeconds, *v.groundingSeconds - lookAhead + step) << course;
    EXPECT_GT(*v.firstAlarmSeconds, 0) << course;
    EXPECT_EQ(v.firstDanger->kind, DangerKind::kShallowWater) << course;
    EXPECT_EQ(v.firstDanger->chart, "US5HA57M");
    EXPECT_LT(v.firstDanger->depth.value_or(0), 10);
    EXPECT_NEAR(v.firstDanger->seconds, lookAhead, 2 * step) << course;
  }
}

TEST_F(LookAheadOnKaneohe, TracksInDeepWaterAreNeverWarned) {
  struct Row {
    LatLon start;
    double course;
    const char* what;
  } rows[] = {
      {{21.52, -157.765}, 330, "north-west through the approaches"},
      {{21.52, -157.765}, 0, "north to the chart's edge"},
      // Over a wreck always under water (WATLEV 3) in 18 m: not a danger at 10 m.
      {{21.500, -157.7739693}, 0, "over the deep wreck"},
  };
  for (const Row& row : rows) {
    const Voyage v = Sail(row.start, row.course, 6, 900, 120, 15);
    EXPECT_FALSE(v.firstAlarmSeconds)
        << row.what << ": " << (v.firstDanger ? v.firstDanger->objl : 0);
    EXPECT_FALSE(v.groundingSeconds) << row.what;
  }
}

TEST_F(LookAheadOnKaneohe, SweepAndChartedDepth) {
  const LatLon start{21.52, -157.765};
  // 6 knots for 10 minutes: a band 1 NM long and 50 m wide.
  LookAheadResult result = LookAhead(**library_, {start, 90, 6, 600, 50, 10});
  ASSERT_TRUE(result.swept);
  ASSERT_EQ(result.sweep.size(), 4u);
  EXPECT_NEAR(GreatCircleDistance(result.sweep[0], result.sweep[1]) * 1852, 50, 0.5);
  EXPECT_NEAR(GreatCircleDistance(result.sweep[1], result.sweep[2]), 1.0, 0.002);
  // Drifting: no course to look along.
  EXPECT_FALSE(LookAhead(**library_, {start, 90, 0.3, 600, 50, 10}).swept);
  // The sweep outside every chart meets nothing.
  result = LookAhead(**library_, {{10, -150}, 90, 6, 600, 50, 10});
  EXPECT_TRUE(result.swept);
  EXPECT_EQ(result.chartsTested, 0u);
  EXPECT_FALSE(result.danger);

  EXPECT_EQ(ChartedDepthAt(**library_, start), 18.2);
  EXPECT_EQ(ChartedDepthAt(**library_, {21.42, -157.80}), 0.0);  // on land
  EXPECT_FALSE(ChartedDepthAt(**library_, {10, -150}));
}

S57Feature MakeFeature(const char* acronym, uint8_t prim,
                       std::vector<std::pair<const char*, const char*>> attributes) {
  S57Feature feature;
  feature.objl = *ObjectClassCode(acronym);
  feature.classCode = CompactClassCode(feature.objl);
  feature.prim = prim;
  for (const auto& [name, value] : attributes) {
    feature.attributes.emplace_back(*AttributeCode(name),
                                    static_cast<uint16_t>(feature.attributeText.size()));
    feature.attributeText += value;
    feature.attributeText += '\0';
  }
  S57GeometryPart part;
  part.xy = {0, 0, 10, 0, 10, 10, 0, 0};
  if (prim == kPrimPoint) part.xy.resize(2);
  for (size_t i = 0; i + 1 < part.xy.size(); i += 2) feature.box.Add(part.xy[i], part.xy[i + 1]);
  feature.parts.push_back(std::move(part));
  return feature;
}

TEST(DangerRules, WhatIsADangerAtASafetyDepthOfTenMetres) {
  struct Row {
    const char* acronym;
    uint8_t prim;
    std::vector<std::pair<const char*, const char*>> attributes;
    std::optional<double> around;  // the depth area's DRVAL1 around the feature
    std::optional<DangerKind> kind;
    std::optional<double> depth;
  };
  const auto shallow = DangerKind::kShallowWater, land = DangerKind::kLand,
             danger = DangerKind::kObstruction;
  const std::vector<Row> rows = {
      {"DEPARE", kPrimArea, {{"DRVAL1", "5"}, {"DRVAL2", "10"}}, {}, shallow, 5},
      {"DEPARE", kPrimArea, {{"DRVAL1", "10"}, {"DRVAL2", "20"}}, {}, {}, {}},
      {"DEPARE", kPrimArea, {}, {}, shallow, {}},  // depth unknown: shallow
      {"DRGARE", kPrimArea, {{"DRVAL1", "8.5"}}, {}, shallow, 8.5},
      {"DEPARE", kPrimLine, {{"DRVAL1", "2"}}, {}, {}, {}},  // a line is no area
      {"LNDARE", kPrimArea, {}, {}, land, {}},
      {"SLCONS", kPrimLine, {}, {}, land, {}},
      {"WRECKS", kPrimPoint, {{"VALSOU", "12"}}, 5.0, {}, {}},
      {"WRECKS", kPrimPoint, {{"VALSOU", "10"}}, {}, danger, 10},  // at the safety depth
      {"WRECKS", kPrimPoint, {{"WATLEV", "3"}}, 20.0, {}, {}},     // as deep as the water around
      {"WRECKS", kPrimPoint, {{"WATLEV", "3"}}, {}, danger, -15},
      {"WRECKS",
       kPrimPoint,
       {{"WATLEV", "3"}, {"CATWRK", "1"}},
       {},
       {},
       {}},                                                          // non-dangerous: 20.1
      {"WRECKS", kPrimPoint, {{"WATLEV", "4"}}, 20.0, danger, 0},    // covers and uncovers
      {"OBSTRN", kPrimPoint, {{"WATLEV", "2"}}, 20.0, danger, -15},  // always dry
      {"OBSTRN", kPrimArea, {{"CATOBS", "6"}}, {}, danger, 0.01},    // foul ground
      {"UWTROC", kPrimPoint, {{"WATLEV", "5"}}, 20.0, danger, 0},    // awash
      {"UWTROC", kPrimPoint, {{"VALSOU", "-0.9"}, {"WATLEV", "4"}}, {}, danger, -0.9},
      {"BOYLAT", kPrimPoint, {}, {}, {}, {}},
  };
  std::vector<S57Feature> features;
  std::vector<ProjectedBox> boxes;
  for (const Row& row : rows) {
    features.push_back(MakeFeature(row.acronym, row.prim, row.attributes));
    features.back().index = static_cast<uint32_t>(features.size() - 1);
    boxes.push_back(features.back().box);
  }
  std::string error;
  auto chart =
      CS57Chart::FromBytes(SerializeSenc({}, features, BuildSencQuadtree(boxes)), "TEST", error);
  ASSERT_TRUE(chart) << error;
  for (size_t i = 0; i < rows.size(); ++i) {
    const Row& row = rows[i];
    const auto found =
        ClassifyDanger(*chart->Feature(static_cast<uint32_t>(i)), 10, [&] { return row.around; });
    EXPECT_EQ(found.has_value(), row.kind.has_value()) << i << " " << row.acronym;
    if (!found || !row.kind) continue;
    EXPECT_EQ(found->kind, *row.kind) << i << " " << row.acronym;
    EXPECT_EQ(found->depth, row.depth) << i << " " << row.acronym;
  }
}

TEST(ObstacleAlarm, RaisedOnceRepeatedAfterTheIntervalAndClearedWhenFree) {
  std::vector<std::string> said;
  CObstacleAlarm alarm([&](const std::string& text, bool raised,
                           bool) { said.push_back((raised ? "raise " : "again ") + text); },
                       [](double m) { return std::to_string(static_cast<int>(m)) + " m"; });
  LookAheadDanger wreck;
  wreck.kind = DangerKind::kObstruction;
  wreck.chart = "US5HA57M";
  wreck.feature = 7;
  wreck.objl = 159;
  wreck.depth = 2;
  wreck.depthCharted = true;
  wreck.seconds = 101;
  LookAheadDanger rock = wreck;
  rock.feature = 8;
  rock.objl = 153;
  rock.objectName = "Pyramid";
  rock.depthCharted = false;
  rock.seconds = 44;
  const auto ahead = [](const LookAheadDanger& d) {
    LookAheadResult r;
    r.swept = true;
    r.sweep = {{21, -157}, {21, -157.001}, {21.01, -157.001}, {21.01, -157}};
    r.danger = d;
    return r;
  };
  LookAheadResult free;
  free.swept = true;
  const ObstacleAlarmSettings on{true, 30000, true}, off{false, 30000, true};
  struct Step {
    LookAheadResult result;
    ObstacleAlarmSettings settings;
    uint64_t now;
    bool changed;
    const char* said;  // "" when nothing is said
  } steps[] = {
      {free, on, 0, false, ""},
      {ahead(wreck), on, 100, true, "raise Obstacle ahead: Wreck (2 m) in 1 minute 40 seconds"},
      {ahead(wreck), on, 10000, false, ""},
      {ahead(wreck), on, 30100, false, "again Obstacle ahead: Wreck (2 m) in 1 minute 40 seconds"},
      {ahead(rock), on, 30200, true, "raise Obstacle ahead: Rock \"Pyramid\" in 45 seconds"},
      {free, on, 30300, true, ""},
      {ahead(rock), off, 30400, false, ""},
  };
  for (const Step& step : steps) {
    said.clear();
    EXPECT_EQ(alarm.Update(step.result, step.settings, step.now), step.changed) << step.now;
    EXPECT_EQ(said.empty() ? "" : said.back(), std::string(step.said)) << step.now;
  }
  // The page's view of the last raised state and of the cleared one.
  alarm.Update(ahead(rock), on, 40000);
  EXPECT_EQ(
      alarm.Json().rfind(
          R"({"enabled":true,"active":true,"text":"Obstacle ahead: Rock \"Pyramid\" in 45 seconds")",
          0),
      0u);
  EXPECT_NE(alarm.Json().find(
                R"("danger":{"name":"Rock \"Pyramid\"","kind":"obstruction","class":"UWTROC")"),
            std::string::npos);
  alarm.Update(free, on, 40100);
  EXPECT_EQ(alarm.Json(), R"({"enabled":true,"active":false,"sweep":[]})");
}

}  // namespace
}  // namespace tarnwick
