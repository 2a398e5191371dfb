// Harmonic prediction: hand-checked sums, the blend across 1 January, the
// zero search, events of simple curves, subordinate offsets and interpolation.

#include <gtest/gtest.h>

#include <cmath>

#include "environment/tides/Constituents.h"
#include "environment/tides/HarmonicStation.h"

namespace tarnwick {
namespace {

constexpr double kDeg = M_PI / 180;
constexpr int kM2 = 0;
constexpr int kS2 = 1;

// Years 2023..2025 with node factors and arguments for M2 and S2 that differ
// from year to year; every other constituent f = 1, V0+u = 0.
std::shared_ptr<CHarmonicYears> TwoConstituentYears() {
  return std::make_shared<CHarmonicYears>(2023, 3, [](int year) {
    HarmonicYear y;
    y.nodeFactor.fill(1);
    const int i = year - 2023;
    y.nodeFactor[kM2] = 0.97 + 0.01 * i;
    y.nodeFactor[kS2] = 1.0;
    y.equilibrium[kM2] = (100 + 90 * i) * kDeg;
    y.equilibrium[kS2] = 10 * kDeg;
    return std::optional<HarmonicYear>(y);
  });
}

HarmonicStation TwoConstituentStation(double datum = 6.0, int64_t meridian = 0) {
  std::vector<HarmonicConstant> constants(2);
  constants[kM2] = {2.0, 30 * kDeg};
  constants[kS2] = {1.0, 60 * kDeg};
  return HarmonicStation(TwoConstituentYears(), constants, datum, meridian, false, false);
}

TEST(Constituents, TableAndNames) {
  EXPECT_STREQ(kConstituents[0].name, "M2");
  EXPECT_STREQ(kConstituents[123].name, "UNK22");
  EXPECT_NEAR(ConstituentSpeed(0), 28.9841042 * M_PI / 180 / 3600, 1e-15);
  EXPECT_EQ(FindConstituent("LDA2"), FindConstituent("LAM2"));
  EXPECT_EQ(FindConstituent("RHO1"), FindConstituent("RHO"));
  EXPECT_EQ(FindConstituent("K1"), 3);
  EXPECT_FALSE(FindConstituent("SA-IOS"));
}

TEST(HarmonicStation, TwoConstituentSumsByHand) {
  // A = max over the years of 2*f(M2) + 1*f(S2) = 2*0.99 + 1 = 2.98 (2025).
  // Worked out by hand: at 2024-03-01 06:00 UTC, tau = 5,205,600 s;
  // M2: 2*0.98*cos(190 - 30 + 28.9841042*1446 deg) = 1.96*cos(311.01467 deg) = 1.28625
  // S2: 1*1.00*cos(10 - 60 + 30*1446 deg) = cos(43,330 deg) = cos(130 deg) = -0.64279
  HarmonicStation station = TwoConstituentStation();
  EXPECT_DOUBLE_EQ(station.MaxAmplitude(), 2.98);
  const int64_t t = YearStartUtc(2024) + 5205600;
  const double m2 = 2 * 0.98 * std::cos((190 - 30 + 28.9841042 * 1446) * kDeg);
  const double s2 = std::cos(130 * kDeg);
  EXPECT_NEAR(m2, 1.28625, 1e-5);
  EXPECT_NEAR(s2, -0.64279, 1e-5);
  EXPECT_NEAR(*station.Level(t), 6.0 + m2 + s2, 1e-9);
  EXPECT_NEAR(station.Normalised(t, 0) * 2.98 + 6.0, *station.Level(t), 1e-12);
  // A meridian offset of -8 h is the same as asking 8 h earlier.
  HarmonicStation local = TwoConstituentStation(6.0, -8 * 3600);
  EXPECT_NEAR(*local.Level(t + 8 * 3600), *station.Level(t), 1e-9);
}

TEST(HarmonicStation, DerivativesMatchDifferences) {
  HarmonicStation station = TwoConstituentStation();
  // Mid-year, and inside the blend window on each side of 1 January 2025.
  for (int64_t t : {YearStartUtc(2024) + 86400 * 100, YearStartUtc(2025) - 1800,
                    YearStartUtc(2025) + 600}) {
    for (int order = 1; order <= 3; ++order) {
      const double h = 20;
      const double diff =
          (station.Normalised(t + 20, order - 1) - station.Normalised(t - 20, order - 1)) / (2 * h);
      const double exact = station.Normalised(t, order);
      EXPECT_NEAR(diff, exact, 1e-3 * station.DerivativeBound(order)) << "t " << t << " order " << order;
    }
  }
}

TEST(HarmonicStation, YearBoundaryBlendsHalfAndHalf) {
  HarmonicStation station = TwoConstituentStation();
  const int64_t boundary = YearStartUtc(2025);
  // The unblended sums of the two years at the boundary, worked out by hand.
  const double a = 2.98;
  const auto sumOf = [&](int yearIndex, int64_t tau) {
    const double f = 0.97 + 0.01 * yearIndex;
    const double v0 = (100 + 90 * yearIndex) * kDeg;
    const double m2 = 2 * f * std::cos(v0 - 30 * kDeg + ConstituentSpeed(kM2) * tau);
    const double s2 = std::cos(10 * kDeg - 60 * kDeg + ConstituentSpeed(kS2) * tau);
    return (m2 + s2) / a;
  };
  const double left = sumOf(1, boundary - YearStartUtc(2024));
  const double right = sumOf(2, 0);
  ASSERT_GT(std::fabs(left - right), 0.1) << "the two years must disagree for the test to mean anything";
  EXPECT_NEAR(station.Normalised(boundary, 0), 0.5 * (left + right), 1e-12);
  // Outside the window each year stands alone.
  EXPECT_NEAR(station.Normalised(boundary + 3601, 0), sumOf(2, 3601), 1e-12);
  EXPECT_NEAR(station.Normalised(boundary - 3601, 0), sumOf(1, boundary - 3601 - YearStartUtc(2024)), 1e-12);
  // Continuous, derivatives included, at the window's edges and the boundary:
  // over 2 s nothing moves more than the next derivative allows, the blend's
  // own share (weight derivatives up to 7.5 / 3600^k) included. A jump
  // between the years would be |left - right| > 0.1 at order 0.
  for (int64_t edge : {boundary - 3600, boundary, boundary + 3600}) {
    for (int order = 0; order <= 2; ++order) {
      const double step =
          2 * (station.DerivativeBound(order + 1) + 20 / std::pow(3600.0, order + 1));
      EXPECT_NEAR(station.Normalised(edge - 1, order), station.Normalised(edge + 1, order), step)
          << "edge " << edge - boundary << " order " << order;
    }
  }
}

TEST(HarmonicStation, OutsideTheYearsNothing) {
  HarmonicStation station = TwoConstituentStation();
  EXPECT_FALSE(station.Level(YearStartUtc(2022) + 5));
  EXPECT_EQ(station.Normalised(YearStartUtc(2026) + 5, 0), 0);
  EXPECT_TRUE(station.Events(YearStartUtc(2021), YearStartUtc(2023) - 1).empty());
  // A span reaching into the table gives the events inside only.
  const auto events = station.Events(YearStartUtc(2022), YearStartUtc(2023) + 86400);
  ASSERT_FALSE(events.empty());
  EXPECT_GE(events.front().time, YearStartUtc(2023));
}

// A station of M2 alone with f = 1 and V0+u = 0: level = datum + A cos(w tau).
HarmonicStation PureM2(bool current, bool hydraulic, double datum) {
  auto years = std::make_shared<CHarmonicYears>(2024, 1, [](int) {
    HarmonicYear y;
    y.nodeFactor.fill(1);
    return std::optional<HarmonicYear>(y);
  });
  std::vector<HarmonicConstant> constants(1);
  constants[kM2] = {4.0, 0};
  return HarmonicStation(years, constants, datum, 0, hydraulic, current);
}

TEST(HarmonicStation, HighsAndLowsOfAPureCurve) {
  HarmonicStation station = PureM2(false, false, 1.0);
  const int64_t start = YearStartUtc(2024);
  const double period = 2 * M_PI / ConstituentSpeed(kM2);
  const auto events = station.Events(start + 600, start + 3 * 86400);
  ASSERT_EQ(events.size(), 11u);  // 3 days of a 12.42 h period, the first high at t = 0 excluded
  for (size_t i = 0; i < events.size(); ++i) {
    const bool high = i % 2 == 1;
    EXPECT_EQ(events[i].type, high ? kTideHigh : kTideLow) << i;
    const double exact = start + period * static_cast<double>(i + 1) / 2;
    // The search returns the end of its last bracket: at or after the zero, within 15 s.
    EXPECT_GE(static_cast<double>(events[i].time), exact - 1) << i;
    EXPECT_LE(static_cast<double>(events[i].time), exact + kZeroPrecision + 1) << i;
    EXPECT_NEAR(events[i].value, high ? 5.0 : -3.0, 1e-4) << i;
  }
}

TEST(HarmonicStation, CurrentsTurnAtSlack) {
  const int64_t start = YearStartUtc(2024);
  const double period = 2 * M_PI / ConstituentSpeed(kM2);
  struct Row {
    bool hydraulic;
    double datum;
  } rows[] = {{false, 0.0}, {true, 0.0}, {false, 1.0}, {true, 1.0}};
  for (const Row& row : rows) {
    HarmonicStation station = PureM2(true, row.hydraulic, row.datum);
    const auto events = station.Events(start + 600, start + 86400);
    std::vector<int> types;
    for (const auto& e : events) {
      types.push_back(e.type);
      if (e.type == kSlackBeforeEbb || e.type == kSlackBeforeFlood) {
        EXPECT_NEAR(e.value, 0, 0.02) << "slack is where the current, mean flow included, is zero";
      }
    }
    // From a maximum flood at t = 0: turn to ebb, max ebb, turn to flood, max flood, ...
    const std::vector<int> expected = {kSlackBeforeEbb, kTideLow, kSlackBeforeFlood, kTideHigh,
                                       kSlackBeforeEbb, kTideLow, kSlackBeforeFlood};
    EXPECT_EQ(types, expected) << "hydraulic " << row.hydraulic << " datum " << row.datum;
    if (row.datum == 0) {
      EXPECT_NEAR(static_cast<double>(events[0].time - start), period / 4, kZeroPrecision + 1);
      EXPECT_NEAR(events[1].value, row.hydraulic ? -2.0 : -4.0, 1e-4);
    }
  }
}

TEST(HarmonicStation, SubordinateOffsetsAndInterpolation) {
  HarmonicStation reference = PureM2(false, false, 1.0);
  HarmonicStation sub = PureM2(false, false, 1.0);
  SubordinateCorrections c;
  c.highTimeOffset = 1800;
  c.highMultiplier = 1.1;
  c.lowTimeOffset = -900;
  c.lowOffset = 0.2;
  sub.SetSubordinate(c);
  EXPECT_TRUE(sub.IsSubordinate());
  const int64_t start = YearStartUtc(2024) + 86400;
  const auto ref = reference.Events(start, start + 2 * 86400);
  const auto events = sub.Events(start, start + 2 * 86400);
  ASSERT_EQ(ref.size(), events.size());
  for (size_t i = 0; i < events.size(); ++i) {
    const TideEvent& e = events[i];
    EXPECT_EQ(e.refTime, ref[i].time);
    EXPECT_DOUBLE_EQ(e.refValue, ref[i].value);
    if (e.type == kTideHigh) {
      EXPECT_EQ(e.time, e.refTime + 1800);
      EXPECT_NEAR(e.value, 5.5, 1e-3);
    } else {
      EXPECT_EQ(e.time, e.refTime - 900);
      EXPECT_NEAR(e.value, -2.8, 1e-3);
    }
    EXPECT_NEAR(*sub.Level(e.time), e.value, 1e-9) << "the curve passes through its events";
  }
  // Halfway in time between a low and a high, the reference is halfway too
  // (a cosine), so the subordinate level is the mean of the two event values.
  const TideEvent& low = events[0].type == kTideLow ? events[0] : events[1];
  const TideEvent& high = *std::find_if(events.begin(), events.end(),
                                        [&](const TideEvent& e) { return e.time > low.time; });
  const int64_t mid = (low.time + high.time) / 2;
  EXPECT_NEAR(*sub.Level(mid), (low.value + high.value) / 2, 0.01);
  const LevelRange range = sub.Range();
  EXPECT_NEAR(range.upper, 5.5, 1e-9);
  EXPECT_NEAR(range.lower, -2.8, 1e-9);
}

}  // namespace
}  // namespace tarnwick
