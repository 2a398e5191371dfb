#pragma once
// The recent tracks of AIS targets: the reported positions of each target,
// thinned, over the last AIS_TrackLength. Kept by the receiver under its
// lock (not thread-safe on its own).

#include <cstddef>
#include <cstdint>
#include <deque>
#include <unordered_map>
#include <vector>

#include "core/geo/LatLon.h"

namespace tarnwick {

struct AisTrackPoint {
  int64_t utcMs = 0;  // the report's time
  LatLon position;    // degrees
};

struct AisTrack {
  uint32_t mmsi = 0;
  std::vector<AisTrackPoint> points;  // oldest first
};

class CAisTracks {
 public:
  static constexpr size_t kMaxPoints = 360;         // per target
  static constexpr int64_t kMinIntervalMs = 10000;  // a new point after this long...
  static constexpr double kMinMoveNm = 0.02;        // ... or this far from the last one

  // A reported position; a time before the track's last point (a playback
  // started over) begins the track again.
  void Add(uint32_t mmsi, int64_t utcMs, const LatLon& position);
  // Keeps, per target, the points at most keepMs older than its newest.
  void Trim(int64_t keepMs);
  void Forget(uint32_t mmsi) { tracks_.erase(mmsi); }
  void Clear() { tracks_.clear(); }
  // Every track with at least one point, by MMSI.
  std::vector<AisTrack> All() const;

 private:
  std::unordered_map<uint32_t, std::deque<AisTrackPoint>> tracks_;
};

}  // namespace tarnwick
