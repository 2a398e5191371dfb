// CPA and TCPA arithmetic, the danger rule, and the setting texts it reads.

#include <gtest/gtest.h>

#include <cmath>

#include "core/geo/Geodesy.h"
#include "instruments/ais/AisAssessmentSettings.h"
#include "instruments/ais/AisCpa.h"

namespace tarnwick {
namespace {

constexpr LatLon kOwn{50.0, -5.0};
// A position nm nautical miles from kOwn on bearing degrees.
LatLon At(double nm, double bearing) {
  return DestinationPoint(kOwn, nm, bearing);
}

TEST(AisCpa, Rows) {
  struct Row {
    const char* what;
    double ownCog, ownSog;
    LatLon target;
    double targetCog, targetSog;
    int bearing;
    double range;
    std::optional<double> cpa;
    std::optional<int> tcpa;
  };
  const Row rows[] = {
      {"reciprocal courses, 10 kn each, 2 nm apart", 0, 10, At(2, 0), 180, 10, 0, 2, 0.0, 344},
      {"crossing from starboard", 0, 10, At(2, 90), 270, 10, 90, 2, std::sqrt(2.0), 344},
      {"target moving away", 0, 10, At(2, 0), 0, 15, 0, 2, std::nullopt, std::nullopt},
      {"overtaken target pulls ahead", 0, 5, At(1, 180), 0, 4, 180, 1, std::nullopt, std::nullopt},
      {"same course and speed", 45, 12, At(1, 90), 45, 12, 90, 1, std::nullopt, std::nullopt},
      {"stationary target dead ahead", 0, 6, At(1, 0), 0, 0, 0, 1, 0.0, 573},
      {"own vessel stopped, target closing", 0, 0, At(3, 270), 90, 12, 270, 3, 0.0, 859},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    const CpaResult r =
        AssessCpa(kOwn, row.ownCog, row.ownSog, row.target, row.targetCog, row.targetSog);
    EXPECT_EQ(r.bearing, row.bearing);
    EXPECT_NEAR(r.range, row.range, 1e-3);
    ASSERT_EQ(r.cpa.has_value(), row.cpa.has_value());
    ASSERT_EQ(r.tcpa.has_value(), row.tcpa.has_value());
    EXPECT_EQ(r.ownAtCpa.has_value(), row.cpa.has_value());
    if (row.cpa) {
      EXPECT_NEAR(*r.cpa, *row.cpa, 2e-3);
    }
    if (row.tcpa) {
      EXPECT_EQ(*r.tcpa, *row.tcpa);
    }
  }
}

TEST(AisCpa, OwnPositionAtCpaAdvancesAlongOwnCourse) {
  const CpaResult r = AssessCpa(kOwn, 0, 10, At(2, 0), 180, 10);
  ASSERT_TRUE(r.ownAtCpa && r.tcpa);
  EXPECT_NEAR(Distance(kOwn, *r.ownAtCpa), 10.0 * *r.tcpa / 3600.0, 1e-6);
  EXPECT_NEAR(Bearing(kOwn, *r.ownAtCpa), 0.0, 1e-6);
}

TEST(AisCpa, DangerRule) {
  AisAssessmentSettings defaults;  // 0.25 nm, 300 s
  AisAssessmentSettings stationarySafe;
  stationarySafe.stationaryTargetsAreSafe = true;
  struct Row {
    const char* what;
    std::optional<double> cpa;
    std::optional<int> tcpa;
    double targetSog;
    bool inArea;
    const AisAssessmentSettings* settings;
    bool dangerous;
  };
  const Row rows[] = {
      {"head-on but 344 s away", 0.0, 344, 10, false, &defaults, false},
      {"head-on under 300 s", 0.0, 299, 10, false, &defaults, true},
      {"TCPA exactly at the limit", 0.0, 300, 10, false, &defaults, false},
      {"CPA exactly at the limit", 0.25, 100, 10, false, &defaults, false},
      {"CPA just inside", 0.2499, 100, 10, false, &defaults, true},
      {"no CPA", std::nullopt, std::nullopt, 10, false, &defaults, false},
      {"inside the monitored area", 0.0, 100, 10, true, &defaults, false},
      {"0.4 kn, stationary assumed safe", 0.0, 100, 0.4, false, &stationarySafe, false},
      {"0.5 kn, stationary assumed safe", 0.0, 100, 0.5, false, &stationarySafe, false},
      {"0.6 kn, stationary assumed safe", 0.0, 100, 0.6, false, &stationarySafe, true},
      {"0.4 kn, rule off", 0.0, 100, 0.4, false, &defaults, true},
  };
  for (const Row& row : rows) {
    CpaResult r;
    r.cpa = row.cpa;
    r.tcpa = row.tcpa;
    EXPECT_EQ(IsDangerousApproach(r, row.targetSog, row.inArea, *row.settings), row.dangerous)
        << row.what;
  }
}

TEST(AisCpa, DistanceSettingTexts) {
  const std::pair<const char*, double> rows[] = {
      {"0.25 nm", 0.25}, {"6 NM", 6.0}, {"926 m", 0.5}, {"0", 0.0}, {"1.5", 1.5}, {"far", 9.0},
  };
  for (const auto& [text, nm] : rows) {
    EXPECT_NEAR(ParseDistanceNm("AIS_DangerCPA", text, 9.0), nm, 1e-9) << text;
  }
  EXPECT_EQ(ParseDurationSetting("AIS_DangerTCPA", "soon", 300.0), 300.0);
}

}  // namespace
}  // namespace tarnwick
