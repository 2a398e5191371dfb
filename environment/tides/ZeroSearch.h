#pragma once
// The search for the zeros of a smooth function of time that every harmonic
// event rests on: high and low water are zeros of the first derivative of the
// level, slack water a zero of the current. Times are whole seconds; a zero is
// found to within kZeroPrecision seconds.

#include <cstdint>
#include <functional>
#include <optional>

namespace tarnwick {

inline constexpr int64_t kZeroPrecision = 15;  // seconds

// g and its first derivative (per second) at a time (seconds since 1970).
struct ZeroProbeValue {
  double g = 0;
  double slope = 0;
};

struct ZeroFunction {
  std::function<ZeroProbeValue(int64_t t)> probe;
  double maxSlope = 0;      // bound of |g'| over all time (> 0)
  double maxCurvature = 0;  // bound of |g''| over all time (> 0)
};

struct ZeroCrossing {
  int64_t time = 0;
  bool rising = false;  // g goes from negative to positive
};

// The first zero after t0 (forward) or before it (backward), searched no
// further than limit (a time after t0 forward, before it backward). Empty when
// there is none up to limit, or g is zero all the way.
std::optional<ZeroCrossing> FindNextZero(const ZeroFunction& f, int64_t t0, int64_t limit,
                                         bool forward = true);

}  // namespace tarnwick
