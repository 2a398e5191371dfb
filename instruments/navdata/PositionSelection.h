#pragma once
// The order in which automatic selection tries the position sensors: lower
// priority value first; then lower HDOP (a sensor without a fix of quality 1
// or more, or without an HDOP above 0, counts as HDOP 100); then the higher
// fix quality. Sensors that still tie keep their registration order.

#include <cstddef>
#include <optional>
#include <vector>

#include "instruments/navdata/NavFix.h"

namespace tarnwick {

// The HDOP that stands for "unknown or no fix" in the ranking.
inline constexpr double kRankingNoHdop = 100.0;

struct PositionCandidate {
  int priority = 0;
  std::optional<NavFix> fix;  // the sensor's current fix, if any
};

// The HDOP a candidate is ranked by.
double RankingHdop(const PositionCandidate& candidate);

// True when a is tried before b.
bool PositionCandidateBefore(const PositionCandidate& a, const PositionCandidate& b);

// Indices into candidates in the order they are tried.
std::vector<size_t> RankPositionCandidates(const std::vector<PositionCandidate>& candidates);

}  // namespace tarnwick
