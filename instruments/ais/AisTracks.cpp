#include "instruments/ais/AisTracks.h"

#include <algorithm>

#include "core/geo/Geodesy.h"

namespace tarnwick {

void CAisTracks::Add(uint32_t mmsi, int64_t utcMs, const LatLon& position) {
  std::deque<AisTrackPoint>& track = tracks_[mmsi];
  if (!track.empty()) {
    const AisTrackPoint& last = track.back();
    if (utcMs < last.utcMs) {
      track.clear();
    } else if (utcMs - last.utcMs < kMinIntervalMs &&
               Distance(last.position, position) < kMinMoveNm) {
      return;
    }
  }
  track.push_back({utcMs, position});
  if (track.size() > kMaxPoints) track.pop_front();
}

void CAisTracks::Trim(int64_t keepMs) {
  for (auto it = tracks_.begin(); it != tracks_.end();) {
    std::deque<AisTrackPoint>& track = it->second;
    if (!track.empty()) {
      const int64_t oldest = track.back().utcMs - keepMs;
      while (!track.empty() && track.front().utcMs < oldest) track.pop_front();
    }
    it = track.empty() ? tracks_.erase(it) : std::next(it);
  }
}

std::vector<AisTrack> CAisTracks::All() const {
  std::vector<AisTrack> all;
  all.reserve(tracks_.size());
  for (const auto& [mmsi, points] : tracks_)
    if (!points.empty()) all.push_back({mmsi, {points.begin(), points.end()}});
  std::sort(all.begin(), all.end(),
            [](const AisTrack& a, const AisTrack& b) { return a.mmsi < b.mmsi; });
  return all;
}

}  // namespace tarnwick
