#include "server/OwnShipTrack.h"

#include <algorithm>

#include "core/geo/Geodesy.h"

namespace tarnwick {

bool COwnShipTrack::Add(const LatLon& position, int64_t utcMs) {
  std::lock_guard lock(mutex_);
  if (!points_.empty()) {
    const TrackSample& last = points_.back();
    if (utcMs < last.utcMs) {
      points_.clear();
    } else {
      const bool late = utcMs - last.utcMs >= limits_.minIntervalMs;
      const bool moved = Distance({last.lat, last.lon}, position) >= limits_.minDistanceNm;
      if (!late && !moved) return false;
    }
  }
  points_.push_back({position.lat, position.lon, utcMs});
  while (points_.size() > std::max<size_t>(limits_.capacity, 1)) points_.pop_front();
  return true;
}

std::vector<TrackSample> COwnShipTrack::Since(int64_t sinceUtcMs) const {
  std::lock_guard lock(mutex_);
  auto first = std::lower_bound(points_.begin(), points_.end(), sinceUtcMs,
                                [](const TrackSample& p, int64_t t) { return p.utcMs < t; });
  return {first, points_.end()};
}

size_t COwnShipTrack::Size() const {
  std::lock_guard lock(mutex_);
  return points_.size();
}

}  // namespace tarnwick
