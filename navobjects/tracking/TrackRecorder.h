#pragma once
// The track-recording engine: on each tick it adds own ship's position to the
// current track when the track's rules ask for a point (time interval,
// distance interval, course change), trims the wake, and starts a new track
// after the fix has been lost longer than Tracking_LostGPS.

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>

#include "navobjects/model/Track.h"
#include "navobjects/tracking/OwnShipInput.h"

namespace tarnwick {

class CTrackRecorder {
 public:
  // newTrack: creates a track in its layer and returns it; changed: told
  // after a track got or lost points (its layer needs saving).
  CTrackRecorder(std::function<std::shared_ptr<CTrack>()> newTrack,
                 std::function<void(CTrack&)> changed);

  // One tick; tickMs is the monotonic clock. Reads Tracking_Enabled and Tracking_LostGPS.
  void Update(const OwnShipInput& ship, uint64_t tickMs);
  // Ends the current track; the next valid fix starts a new one.
  void EndTrack() { current_.reset(); }
  // The "StartNewTrack" command: ends track when it is the one recording.
  bool StartNewTrack(const CTrack& track);
  const std::shared_ptr<CTrack>& Current() const { return current_; }

 private:
  bool WantsPoint(const CTrack& track, const OwnShipInput& ship) const;

  std::function<std::shared_ptr<CTrack>()> newTrack_;
  std::function<void(CTrack&)> changed_;
  std::shared_ptr<CTrack> current_;
  std::optional<uint64_t> lostSinceTick_;
  std::optional<double> lastPointCog_;
};

}  // namespace tarnwick
