#pragma once
// The own ship's recent track as the web user interface draws it: positions
// from the own-ship snapshots, thinned to one point per minIntervalMs unless
// the ship moved minDistanceNm, newest kept up to capacity. Any thread.

#include <cstddef>
#include <cstdint>
#include <deque>
#include <mutex>
#include <vector>

#include "core/geo/LatLon.h"

namespace tarnwick {

struct TrackSample {
  double lat = 0;     // degrees
  double lon = 0;     // degrees
  int64_t utcMs = 0;  // ms since 1970
};

class COwnShipTrack {
 public:
  struct Limits {
    int64_t minIntervalMs = 10000;
    double minDistanceNm = 0.05;
    size_t capacity = 20000;
  };
  COwnShipTrack() : COwnShipTrack(Limits{}) {}
  explicit COwnShipTrack(Limits limits) : limits_(limits) {}

  // Offers a position; true when it became a point. A time before the last
  // point (a recording played again) starts the track over.
  bool Add(const LatLon& position, int64_t utcMs);
  // Points with utcMs >= sinceUtcMs, oldest first.
  std::vector<TrackSample> Since(int64_t sinceUtcMs) const;
  size_t Size() const;

 private:
  const Limits limits_;
  mutable std::mutex mutex_;
  std::deque<TrackSample> points_;
};

}  // namespace tarnwick
