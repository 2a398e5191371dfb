#include "instruments/navdata/PositionSelection.h"

#include <algorithm>
#include <numeric>

namespace tarnwick {

double RankingHdop(const PositionCandidate& c) {
  if (c.fix && c.fix->quality >= kFixGps && c.fix->hdop && *c.fix->hdop > 0) return *c.fix->hdop;
  return kRankingNoHdop;
}

bool PositionCandidateBefore(const PositionCandidate& a, const PositionCandidate& b) {
  if (a.priority != b.priority) return a.priority < b.priority;
  const double hdopA = RankingHdop(a), hdopB = RankingHdop(b);
  if (hdopA != hdopB) return hdopA < hdopB;
  const int qualityA = a.fix ? a.fix->quality : kFixNoGps;
  const int qualityB = b.fix ? b.fix->quality : kFixNoGps;
  return qualityA > qualityB;
}

std::vector<size_t> RankPositionCandidates(const std::vector<PositionCandidate>& candidates) {
  std::vector<size_t> order(candidates.size());
  std::iota(order.begin(), order.end(), size_t{0});
  std::stable_sort(order.begin(), order.end(), [&](size_t a, size_t b) {
    return PositionCandidateBefore(candidates[a], candidates[b]);
  });
  return order;
}

}  // namespace tarnwick
