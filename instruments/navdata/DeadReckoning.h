#pragma once
// Dead reckoning: the position advanced from the last fix along a course and
// speed. The estimate keeps an anchor (position and tick) and moves along the
// great circle that leaves it on the course; a change of course or speed
// re-anchors at the estimated position, so a steady course and speed give
// exactly DestinationPoint(anchor, speed x time, course).

#include <cstdint>
#include <optional>

#include "core/geo/LatLon.h"

namespace tarnwick {

class CDeadReckoning {
 public:
  // Starts from position (degrees) at tick (ms) with course (degrees true) and
  // speed (knots, negative taken as 0).
  void Start(const LatLon& position, uint64_t tick, double course, double speed);
  void Stop() { running_ = false; }
  bool Running() const { return running_; }

  // Changes course (degrees true) and speed (knots) from tick on. Ignored
  // while not running; no change keeps the anchor.
  void Steer(double course, double speed, uint64_t tick);

  // The estimated position at tick (ms; a tick before the anchor gives the
  // anchor), or empty while not running.
  std::optional<LatLon> Position(uint64_t tick) const;
  double Course() const { return course_; }  // degrees true, 0..360
  double Speed() const { return speed_; }    // knots

 private:
  bool running_ = false;
  LatLon anchor_;
  uint64_t anchorTick_ = 0;
  double course_ = 0;
  double speed_ = 0;
};

}  // namespace tarnwick
