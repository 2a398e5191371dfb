#include "environment/tides/ZeroSearch.h"

#include <algorithm>
#include <cmath>

namespace tarnwick {
namespace {

// g with the sign flipped so that it is negative where the search starts.
struct Flipped {
  const ZeroFunction& f;
  double sign;
  ZeroProbeValue At(int64_t t) const {
    ZeroProbeValue v = f.probe(t);
    return {v.g * sign, v.slope * sign};
  }
};

// The step (seconds, at least the precision) that cannot pass more than one
// zero: within |g|/max|g'| g cannot reach zero, and within |g'|/max|g''| g is
// monotonic. dir is +1 forward, -1 backward.
int64_t SafeStep(const ZeroFunction& f, const ZeroProbeValue& v, int dir) {
  const double step1 = std::fabs(v.g) / f.maxSlope;
  const double step2 = std::fabs(v.slope) / f.maxCurvature;
  // With g < 0, the curve heads away from zero when it falls in the direction
  // of the search.
  const bool away = v.slope * dir < 0;
  double step = away ? step1 + step2 : std::max(step1, step2);
  // Beyond a year the bounds say nothing useful; keep the numbers finite.
  step = std::min(step, 366.0 * 86400.0);
  return std::max<int64_t>(kZeroPrecision, static_cast<int64_t>(step));
}

// Narrows [tl, tr] with g(tl) < 0 < g(tr) (forward: tl < tr) to kZeroPrecision
// by Newton steps, falling back to bisection; returns the end on the positive side.
int64_t Refine(const Flipped& g, int64_t neg, int64_t pos, ZeroProbeValue last, int64_t lastT) {
  bool first = true;
  double previousNewtonG = std::fabs(last.g) * 2;
  while (std::llabs(pos - neg) > kZeroPrecision) {
    const int64_t lo = std::min(neg, pos);
    const int64_t hi = std::max(neg, pos);
    int64_t t = 0;
    bool bisect = first || last.slope == 0 || std::fabs(last.g) > previousNewtonG / 2;
    if (!bisect) {
      double dt = std::floor(-last.g / last.slope + 0.5);
      if (std::fabs(dt) < kZeroPrecision) dt = dt < 0 ? -kZeroPrecision : kZeroPrecision;
      if (!std::isfinite(dt) || lastT + dt <= lo || lastT + dt >= hi) {
        bisect = true;
      } else {
        t = lastT + static_cast<int64_t>(dt);
        previousNewtonG = std::fabs(last.g);
      }
    }
    if (bisect) t = lo + (hi - lo) / 2;
    first = false;
    last = g.At(t);
    lastT = t;
    if (last.g == 0) return t;
    if (last.g < 0) {
      neg = t;
    } else {
      pos = t;
    }
  }
  return pos;
}

}  // namespace

std::optional<ZeroCrossing> FindNextZero(const ZeroFunction& f, int64_t t0, int64_t limit,
                                         bool forward) {
  if (f.maxSlope <= 0 || f.maxCurvature <= 0) return std::nullopt;
  const int dir = forward ? 1 : -1;
  const auto beyond = [&](int64_t t) { return forward ? t > limit : t < limit; };
  int64_t t = t0;
  ZeroProbeValue v = f.probe(t);
  while (v.g == 0) {
    t += dir * kZeroPrecision;
    if (beyond(t)) return std::nullopt;
    v = f.probe(t);
  }
  // Forward, a negative start means the zero is a rising one; backward the
  // crossing found is traversed the other way in time.
  const double sign = v.g < 0 ? 1.0 : -1.0;
  const bool rising = forward ? v.g < 0 : v.g > 0;
  const Flipped g{f, sign};
  v = {v.g * sign, v.slope * sign};
  while (true) {
    const int64_t next = t + dir * SafeStep(f, v, dir);
    if (beyond(next)) {
      // The last stretch up to the limit itself.
      if (t == limit) return std::nullopt;
      const ZeroProbeValue end = g.At(limit);
      if (end.g == 0) return ZeroCrossing{limit, rising};
      if (end.g < 0) return std::nullopt;
      return ZeroCrossing{Refine(g, t, limit, v, t), rising};
    }
    const ZeroProbeValue w = g.At(next);
    if (w.g == 0) return ZeroCrossing{next, rising};
    if (w.g > 0) return ZeroCrossing{Refine(g, t, next, w, next), rising};
    t = next;
    v = w;
  }
}

}  // namespace tarnwick
