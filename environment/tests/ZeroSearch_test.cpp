// The zero search on curves with known zeros: forward and backward, a zero
// exactly at a sample time, nothing up to the limit.

#include <gtest/gtest.h>

#include <cmath>

#include "environment/tides/ZeroSearch.h"

namespace tarnwick {
namespace {

TEST(ZeroSearch, SineZerosForwardAndBackward) {
  const double period = 44714.0;  // about M2's
  const double w = 2 * M_PI / period;
  ZeroFunction f;
  f.probe = [w](int64_t t) {
    const double x = w * static_cast<double>(t - 1000);
    return ZeroProbeValue{std::sin(x), w * std::cos(x)};
  };
  f.maxSlope = w * 1.1;
  f.maxCurvature = w * w * 1.1;
  // Zeros at 1000 + k * period / 2.
  struct Row {
    int64_t from;
    bool forward;
    double zero;
    bool rising;
  } rows[] = {
      {0, true, 1000, true},
      {1100, true, 1000 + period / 2, false},
      {30000, true, 1000 + period, true},
      {30000, false, 1000 + period / 2, false},
      {1100, false, 1000, true},
  };
  for (const Row& row : rows) {
    const auto zero = FindNextZero(f, row.from, row.forward ? row.from + 200000 : row.from - 200000,
                                   row.forward);
    ASSERT_TRUE(zero) << row.from;
    EXPECT_NEAR(static_cast<double>(zero->time), row.zero, kZeroPrecision) << row.from;
    EXPECT_EQ(zero->rising, row.rising) << row.from;
  }
}

TEST(ZeroSearch, ZeroAtASampleTimeIsTakenAsIs) {
  // g = (t - 1000) / 1000 with these bounds steps exactly 1000 s from 0.
  ZeroFunction f;
  f.probe = [](int64_t t) { return ZeroProbeValue{static_cast<double>(t - 1000) / 1000, 0.001}; };
  f.maxSlope = 0.001;
  f.maxCurvature = 1;
  const auto zero = FindNextZero(f, 0, 5000);
  ASSERT_TRUE(zero);
  EXPECT_EQ(zero->time, 1000);
  EXPECT_TRUE(zero->rising);
  // From the zero itself the search steps off it first and finds nothing more.
  EXPECT_FALSE(FindNextZero(f, 1000, 5000));
}

TEST(ZeroSearch, NothingUpToTheLimit) {
  ZeroFunction f;
  f.probe = [](int64_t t) { return ZeroProbeValue{static_cast<double>(t - 10000), 1}; };
  f.maxSlope = 1;
  f.maxCurvature = 1e-6;
  EXPECT_FALSE(FindNextZero(f, 0, 9000));
  EXPECT_TRUE(FindNextZero(f, 0, 10500));
  ZeroFunction flat;
  flat.probe = [](int64_t) { return ZeroProbeValue{0, 0}; };
  flat.maxSlope = 1;
  flat.maxCurvature = 1;
  EXPECT_FALSE(FindNextZero(flat, 0, 3600)) << "a curve that is zero throughout has no crossing";
}

}  // namespace
}  // namespace tarnwick
